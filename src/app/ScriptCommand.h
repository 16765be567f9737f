#pragma once

#include "app/SingleInstance.h"

#include <optional>

class AlarmCommands;
class CommandLine;
class WakePolicy;

// The command line's requests to the running copy (--set, --off, --sleep, --status) and their
// answers in the terminal: the result on standard output, a refusal on standard error in the words
// the window would show, and the exit status. The running copy's side answers through the same
// alarm commands as the window's buttons.
class ScriptCommand {
public:
    enum Status { Done = 0, Failed = 1, BadCommandLine = 2, NotRunning = 3, Unreachable = 4 };

    // Asks the running copy and prints its answer: the exit status, or none when no copy runs. A copy
    // that holds the lock but cannot be reached is said to be so (Unreachable), --set included.
    static std::optional<int> askRunning(const CommandLine& line, SingleInstance& instance);
    // --set with no copy running: one is started in the background, so that the script goes on.
    // In the caller the exit status once the new copy has said whether it armed; in the new copy,
    // none, with *reportTo set to where it says so (report()). A new copy that has said nothing
    // within the start's time limit is ended: it never came up.
    static std::optional<int> startInBackground(int* reportTo);
    // In the copy started for --set: the reply to the waiting start, armed or why not.
    static void report(int reportTo, const SingleInstance::Reply& reply);
    // What the command line asks of the running copy.
    static SingleInstance::Request request(const CommandLine& line);
    // The running copy's answer to a request.
    static SingleInstance::Reply answer(AlarmCommands& commands, const WakePolicy& wake,
                                        const SingleInstance::Request& request);
    // Prints the reply as the terminal shows it; the exit status.
    static int print(const std::optional<SingleInstance::Reply>& reply);
};
