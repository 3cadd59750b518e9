// What the window says about a computed variable's name and expression.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "expression/formula.h"

// What is wrong with an expression, with its place counted from 1.
QString FormulaProblemText(const kelvara::FormulaProblem& problem);

// What is wrong with a computed variable named `name` and defined by
// `expression` in a file with these header texts; `othersNamed` counts the
// other computed variables of that name. Empty when nothing is.
QString DerivedDefinitionProblem(const QString& name, const QString& expression,
                                 const QStringList& headerTexts, int othersNamed);

// The header texts as UTF-8, as expressions are compiled against them.
std::vector<std::string> Utf8Texts(const QStringList& texts);
