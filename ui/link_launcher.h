// Starting the web browser as a separate process.
#pragma once
