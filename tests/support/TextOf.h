#pragma once

#include <QtCore>

#include <functional>

// A data row's own call, run by the test function, when the rows of one
// table call different functions that all give a text.
using TextOf = std::function<QString()>;
Q_DECLARE_METATYPE(TextOf)
