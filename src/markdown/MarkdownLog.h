#pragma once

#include <QString>

#include <functional>

namespace vantel {

// Where a diagnostic line of the Markdown engine goes: a subsystem and a category.
struct MarkdownLogTarget {
    QString subsystem;
    QString category;
};

// The one place the engine writes its lines. These lines are switched on by
// the process environment (or, for one scanner line, always written), never
// by the application's debug-logging setting.
class MarkdownLog {
public:
    using Sink = std::function<void(const MarkdownLogTarget&, const QString&)>;

    static void info(const MarkdownLogTarget& target, const QString& text);

    // Tests route the lines here; an empty sink restores the default output.
    static void setSink(Sink sink);

    // Whether the process environment holds the variable (any value, also empty).
    static bool environmentHas(const char* variable);
};

} // namespace vantel
