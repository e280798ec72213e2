#include "app/program/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "base/system/terminal_text.h"
#include "base/gbk.h"

namespace velmora {
namespace {

CommandLine parsed(const TextList& arguments, HeadlessMode headless = HeadlessMode::offered) {
    return parse_command_line(arguments, headless);
}

TEST(CommandLine, OptionsThatRunTheProgramAreCarriedInTheResult) {
    struct Case {
        TextList arguments;
        bool minimized, headless, once;
    };
    const Case cases[] = {
        {{}, false, false, false},
        {{"--minimized"}, true, false, false},
        {{"--minimized", "--minimized"}, true, false, false},
        {{"--headless"}, false, true, false},
        {{"--headless", "--once"}, false, true, true},
        {{"--once", "--headless"}, false, true, true},
    };
    for (const Case& c : cases) {
        const CommandLine command_line = parsed(c.arguments);
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        EXPECT_EQ(command_line.action, CommandLineAction::run);
        EXPECT_EQ(command_line.minimized, c.minimized);
        EXPECT_EQ(command_line.headless, c.headless);
        EXPECT_EQ(command_line.once, c.once);
        EXPECT_EQ(command_line.problem, "");
    }
}

TEST(CommandLine, HelpWinsOverVersionAndBothOverRunning) {
    EXPECT_EQ(parsed({"--help"}).action, CommandLineAction::show_help);
    EXPECT_EQ(parsed({"--version"}).action, CommandLineAction::show_version);
    EXPECT_EQ(parsed({"--version", "--help"}).action, CommandLineAction::show_help);
    EXPECT_EQ(parsed({"--headless", "--version"}).action, CommandLineAction::show_version);
    // Asking for help is answered even when the rest would not run.
    EXPECT_EQ(parsed({"--once", "--help"}).action, CommandLineAction::show_help);
}

TEST(CommandLine, AnythingElseIsRefusedNamingWhatWasWrong) {
    struct Case {
        TextList arguments;
        Text named;  // the part of the problem line that points at the fault
    };
    const Case cases[] = {
        {{"--frobnicate"}, "--frobnicate"},
        {{"--help", "extra"}, "extra"},  // an unknown word wins over help
        {{"-h"}, "-h"},
        {{"--help=all"}, "--help=all"},
        {{"--HELP"}, "--HELP"},
        {{"--"}, "--"},
        {{""}, gbk("无法识别的参数：")},
        {{gbk("登入")}, gbk("登入")},
        {{"--once"}, "--once"},
        {{"--once", "--minimized"}, "--once"},
        {{"--minimized", "--headless"}, "--minimized"},
    };
    for (const Case& c : cases) {
        const CommandLine command_line = parsed(c.arguments);
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        EXPECT_EQ(command_line.action, CommandLineAction::refuse);
        EXPECT_NE(command_line.problem.find(c.named), Text::npos) << command_line.problem;
        EXPECT_EQ(command_line.problem.find('\n'), Text::npos);
    }
}

TEST(CommandLine, WithoutTheHeadlessModeItsOptionsAreUnknown) {
    for (const TextList& arguments :
         {TextList{"--headless"}, TextList{"--headless", "--once"}, TextList{"--once"}}) {
        const CommandLine command_line = parsed(arguments, HeadlessMode::not_offered);
        EXPECT_EQ(command_line.action, CommandLineAction::refuse);
        EXPECT_NE(command_line.problem.find(gbk("无法识别的参数")), Text::npos);
    }
    EXPECT_EQ(parsed({"--minimized"}, HeadlessMode::not_offered).action, CommandLineAction::run);
}

TEST(CommandLine, ShellTasksCarryTheirNameTypeAndSettings) {
    const CommandLine watch =
        parsed({"--settings", "/srv/v.ini", "--watch", "www.example.com", "--type", "aaaa"});
    EXPECT_EQ(watch.action, CommandLineAction::run);
    EXPECT_EQ(watch.task, ShellTask::watch);
    EXPECT_EQ(watch.name, "www.example.com");
    EXPECT_EQ(watch.record_type, "AAAA");
    EXPECT_EQ(watch.settings_word, 1);  // the word after --settings
    EXPECT_FALSE(watch.headless);

    const CommandLine listed = parsed({"--system", "--list"}, HeadlessMode::only);
    EXPECT_EQ(listed.task, ShellTask::list);
    EXPECT_TRUE(listed.system);
    EXPECT_EQ(listed.settings_word, -1);
    // Without a task the window-less executable runs its loop, --headless or not.
    EXPECT_TRUE(parsed({"--system"}, HeadlessMode::only).headless);
    EXPECT_TRUE(parsed({"--once"}, HeadlessMode::only).once);
    EXPECT_TRUE(parsed({"--headless", "--settings", "x.ini"}).headless);
    EXPECT_EQ(parsed({"--settings", "x.ini"}).action, CommandLineAction::run);  // the window
}

TEST(CommandLine, ShellTasksThatDoNotFitAreRefused) {
    const struct {
        TextList arguments;
        HeadlessMode mode;
        Text named;
    } cases[] = {
        {{"--login", "--list"}, HeadlessMode::offered, "--list"},
        {{"--watch"}, HeadlessMode::offered, "--watch"},
        {{"--watch", "--list"}, HeadlessMode::offered, "--watch"},
        {{"--unwatch", ""}, HeadlessMode::offered, "--unwatch"},
        {{"--watch", "a.example", "--type", "TXT"}, HeadlessMode::offered, "--type"},
        {{"--list", "--type", "A"}, HeadlessMode::offered, "--type"},
        {{"--list", "--headless"}, HeadlessMode::offered, "--list"},
        {{"--status", "--once"}, HeadlessMode::only, "--status"},
        {{"--settings"}, HeadlessMode::offered, "--settings"},
        {{"--system", "--settings", "x.ini", "--list"}, HeadlessMode::only, "--system"},
        {{"--system"}, HeadlessMode::offered, "--system"},  // the window has no system files
        {{"--minimized"}, HeadlessMode::only, "--minimized"},
        {{"--list"}, HeadlessMode::not_offered, "--list"},
        {{"--settings", "x.ini"}, HeadlessMode::not_offered, "--settings"},
    };
    for (const auto& [arguments, mode, named] : cases) {
        const CommandLine command_line = parsed(arguments, mode);
        SCOPED_TRACE(testing::PrintToString(arguments));
        EXPECT_EQ(command_line.action, CommandLineAction::refuse);
        EXPECT_NE(command_line.problem.find(named), Text::npos) << command_line.problem;
    }
}

TEST(CommandLine, HelpListsExactlyTheOptionsOffered) {
    const Text with = help_text(HeadlessMode::offered);
    const Text without = help_text(HeadlessMode::not_offered);
    for (const char* option : {"--minimized", "--help", "--version"}) {
        EXPECT_NE(with.find(option), Text::npos) << option;
        EXPECT_NE(without.find(option), Text::npos) << option;
    }
    for (const char* option : {"--headless", "--once"}) {
        EXPECT_NE(with.find(option), Text::npos) << option;
        EXPECT_EQ(without.find(option), Text::npos) << option;
    }
    for (const char* option : {"--login", "--list", "--watch", "--type", "--unwatch", "--status",
                               "--settings", "--system"}) {
        EXPECT_NE(with.find(option), Text::npos) << option;
        EXPECT_NE(help_text(HeadlessMode::only).find(option), Text::npos) << option;
        EXPECT_EQ(without.find(option), Text::npos) << option;
    }
    EXPECT_EQ(help_text(HeadlessMode::only).find("--minimized"), Text::npos);
    EXPECT_EQ(help_text(HeadlessMode::only).rfind(gbk("用法：velmora-headless"), 0), 0u);
    EXPECT_EQ(with.rfind(gbk("用法：velmora"), 0), 0u);
    EXPECT_EQ(with.back(), '\n');
    // Every line is GBK that comes out on a terminal whole.
    EXPECT_EQ(text_from_terminal(text_for_terminal(with)), with);
}

// velmora-headless.exe: the Linux headless program's options without --system, and the
// service's three, each alone.
TEST(CommandLine, TheWindowsHeadlessProgramHasTheServiceOptionsEachAlone) {
    const HeadlessMode exe = HeadlessMode::only_with_service;
    EXPECT_EQ(parsed({"--install-service"}, exe).service, ServiceAction::install);
    EXPECT_EQ(parsed({"--uninstall-service"}, exe).service, ServiceAction::uninstall);
    const CommandLine service = parsed({"--service"}, exe);
    EXPECT_EQ(service.action, CommandLineAction::run);
    EXPECT_EQ(service.service, ServiceAction::run);
    EXPECT_FALSE(service.headless);  // the service's run, not the console's
    EXPECT_TRUE(parsed({}, exe).headless);
    EXPECT_EQ(parsed({"--watch", "www.example.com"}, exe).task, ShellTask::watch);
    EXPECT_EQ(parsed({"--service", "--help"}, exe).action, CommandLineAction::show_help);

    const struct {
        TextList arguments;
        HeadlessMode mode;
        Text said;
    } refused[] = {
        {{"--install-service", "--once"}, exe, gbk("--install-service 不能与其他参数同用")},
        {{"--list", "--service"}, exe, gbk("--service 不能与其他参数同用")},
        {{"--install-service", "--uninstall-service"},
         exe,
         gbk("--install-service 不能与 --uninstall-service 同用：一次只做一件事")},
        {{"--system", "--list"}, exe, gbk("无法识别的参数：--system")},
        {{"--install-service"}, HeadlessMode::only, gbk("无法识别的参数：--install-service")},
        {{"--service"}, HeadlessMode::offered, gbk("无法识别的参数：--service")},
    };
    for (const auto& [arguments, mode, said] : refused) {
        SCOPED_TRACE(testing::PrintToString(arguments));
        const CommandLine command_line = parsed(arguments, mode);
        EXPECT_EQ(command_line.action, CommandLineAction::refuse);
        EXPECT_EQ(command_line.problem, said);
    }

    const Text help = help_text(exe);
    EXPECT_EQ(help.rfind(gbk("用法：velmora-headless.exe"), 0), 0u);
    for (const char* option : {"--install-service", "--uninstall-service", "--service", "--login",
                               "--once", "--settings"}) {
        EXPECT_NE(help.find(option), Text::npos) << option;
    }
    for (const char* option : {"--install-service", "--uninstall-service", "--service "}) {
        EXPECT_EQ(help_text(HeadlessMode::only).find(option), Text::npos) << option;
    }
    EXPECT_EQ(help.find("--system"), Text::npos);
}

TEST(CommandLine, VersionIsTheProgramsNameAndADottedNumber) {
    EXPECT_THAT(version_text(), testing::MatchesRegex("velmora [0-9]+\\.[0-9]+\\.[0-9]+\n"));
}

TEST(TerminalText, WordsBecomeGbkAndADamagedWordStaysAsItCame) {
    EXPECT_EQ(text_from_terminal("登入"), gbk("登入"));
    EXPECT_EQ(text_for_terminal(gbk("登入")), "登入");
    EXPECT_EQ(text_from_terminal("--help"), "--help");
    // Dropping the byte that is not UTF-8 would make an option of it.
    EXPECT_EQ(text_from_terminal("--hel\xffp"), "--hel\xffp");
    EXPECT_EQ(parsed({text_from_terminal("--hel\xffp")}).action, CommandLineAction::refuse);
    // Beyond GBK: kept, and never taken for anything.
    EXPECT_EQ(text_from_terminal("\xF0\x9F\x98\x80"), "\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace velmora
