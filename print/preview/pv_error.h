#pragma once

#include <QString>

class UserPrompts;

// How the preview suite reports a failure: a message naming the class that failed; nothing is raised.
void ShowPvError(UserPrompts& prompts, const char* className, const QString& message);
