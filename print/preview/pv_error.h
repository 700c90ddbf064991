#pragma once

#include <QString>

// How the preview suite reports a failure: a message box naming the class that failed; nothing is raised.
void ShowPvError(const char* className, const QString& message);
