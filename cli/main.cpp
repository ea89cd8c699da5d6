// morvane-cli: the codec's encode and decode jobs from a terminal or script.
#include <atomic>
#include <cstdlib>
#include <iostream>
#include <optional>

#include "block_transform.h"
#include "command_line.h"
#include "console_job_host.h"
#include "container_info.h"
#include "fixed_clock_platform.h"
#include "host_system.h"
#include "run_jobs.h"
#include "source_date_epoch.h"

int main(int argc, char** argv) {
    using namespace morvane::cli;
    PrepareStandardStreams();
    // The engine takes its transform kernel from here: MORVANE_KERNEL forces one.
    morvane::UseKernel(morvane::ChooseKernel(std::getenv("MORVANE_KERNEL")));

    const CommandLine command = ParseCommandLine(CommandArguments(argc, argv));
    switch (command.action) {
    case Action::Help:
        std::cout << HelpText();
        return FinishRun(kExitAllDone, 0, std::cout, std::cerr);
    case Action::Version:
        std::cout << VersionText();
        return FinishRun(kExitAllDone, 0, std::cout, std::cerr);
    case Action::UsageError:
        std::cerr << "morvane-cli: " << command.error << '\n' << UsageText();
        return kExitUsage;
    case Action::Info:
        // A report lost on a full or closed stdout is said, as for the jobs.
        return FinishRun(RunInfo(command, morvane::SystemPlatform(), std::cout), 0, std::cout, std::cerr);
    case Action::Encode:
    case Action::Decode:
        break;
    }

    const EpochSetting epoch = ParseSourceDateEpoch(std::getenv("SOURCE_DATE_EPOCH"));
    if (!epoch.valid) {
        std::cerr << "morvane-cli: SOURCE_DATE_EPOCH is not a number of seconds\n";
        return kExitUsage;
    }
    morvane::Platform& system = morvane::SystemPlatform();
    std::optional<FixedClockPlatform> fixedClock;
    if (epoch.seconds) fixedClock.emplace(system, *epoch.seconds);
    morvane::Platform& platform = fixedClock ? static_cast<morvane::Platform&>(*fixedClock) : system;

    if (const std::string refusal = TerminalRefusal(command, IsOutputTerminal(), IsInputTerminal()); !refusal.empty()) {
        std::cerr << "morvane-cli: " << refusal << '\n';
        return kExitJobFailed;
    }

    CatchInterrupts();
    const std::atomic<int>& interrupt = InterruptStatus();
    ConsoleStyle style;
    style.printPaths = command.output != OutputMode::StandardOutput;
    style.pathEnd = command.nullTerminated ? '\0' : '\n';
    // NUL-terminated names are for programs: printed as they are.
    style.escapeOut = !command.nullTerminated && IsOutputTerminal();
    style.escapeErr = IsErrorStreamTerminal();
    ConsoleJobHost host(std::cout, std::cerr, IsErrorStreamTerminal(), &interrupt, style);
    const int status = RunJobs(command, host, platform);
    return FinishRun(status, interrupt.load(), std::cout, std::cerr);
}
