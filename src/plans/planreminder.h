#pragma once

#include <functional>

class QWidget;

// Before the plan leaves the desk (printed or exported): when sections still hold template
// prompts, a message says how many and offers "Show me", which runs showCheck instead, or
// "Continue". Returns whether to go on: true when no section holds a prompt or the owner
// chose "Continue"; false for "Show me" or when the message was closed.
bool RemindOfTemplatePrompts(int sectionsWithPrompts, QWidget* parent,
                             const std::function<void()>& showCheck);
