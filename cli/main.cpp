// morvane-cli: the codec's encode and decode jobs from a terminal or script.
#include <cstdlib>
#include <iostream>
#include <optional>

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

    const CommandLine command = ParseCommandLine(CommandArguments(argc, argv));
    switch (command.action) {
    case Action::Help:
        std::cout << HelpText();
        return kExitAllDone;
    case Action::Version:
        std::cout << VersionText();
        return kExitAllDone;
    case Action::UsageError:
        std::cerr << "morvane-cli: " << command.error << '\n' << UsageText();
        return kExitUsage;
    case Action::Info:
        return RunInfo(command, morvane::SystemPlatform(), std::cout);
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

    ConsoleJobHost host(std::cout, std::cerr, IsErrorStreamTerminal());
    return RunJobs(command, host, platform);
}
