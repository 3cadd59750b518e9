#include "ui/link_launcher.h"
