// How messages name the survey data file, shared by its loading and the run.
#pragma once

#include <QString>

// The file as messages name it: 栄養調査データ[path].
QString Survey(const QString& path);

// Why the survey data file cannot be opened: it is not found, or the cause.
QString CannotOpenSurveyMessage(const QString& path);
