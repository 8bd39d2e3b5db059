#pragma once

#include <QLoggingCategory>

// Diagnostics of the program: developers switch them on with
// QT_LOGGING_RULES="ms1.debug=true"; the user never sees them.
Q_DECLARE_LOGGING_CATEGORY(lcMs1)
