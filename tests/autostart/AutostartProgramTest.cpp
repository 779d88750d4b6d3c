// The real orvane-monitor-autostart in an installation of its own (the program, the entry
// template, and a stand-in monitor beside it that notes its arguments), run against a home folder
// of the test's own: the login entries it writes, lists and removes, the ones that do not start
// and how --enable mends them, what it refuses, what it takes over from earlier versions, and
// whom it starts without options.

#include "RunProgram.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// Addresses of these tests (tests/LOOPBACK.md); only text in the entries, nothing is sent.
constexpr char kFirst[] = "127.0.3.10";
constexpr char kSecond[] = "127.0.3.11";
constexpr char kSaved[] = "127.0.3.12";
constexpr char kThird[] = "127.0.3.13";

std::string entryOf(const std::string &address) {
    return "orvane-monitor-" + address + ".desktop";
}

std::string contentOf(const fs::path &path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

void writeFile(const fs::path &path, const std::string &content) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

bool isOneLine(const std::string &text) {
    return !text.empty() && text.find('\n') == text.size() - 1;
}

class AutostartProgram : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvane-autostart-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        bin = install(root / "prefix");
        config = root / "home" / ".config";
        autostart = config / "autostart";
    }

    // The program, the entry template and a stand-in monitor that notes its arguments, installed
    // below prefix; returns its bin folder.
    static fs::path install(const fs::path &prefix) {
        const fs::path folder = prefix / "bin";
        fs::create_directories(folder);
        fs::copy_file(ORVANE_AUTOSTART_PROGRAM, folder / "orvane-monitor-autostart");
        writeFile(folder / "orvane-monitor",
                  "#!/bin/sh\nfor a; do printf '%s\\n' \"$a\"; done >\"$0.arguments\"\nexit 3\n");
        fs::permissions(folder / "orvane-monitor", fs::perms::owner_all);
        writeFile((folder / ORVANE_AUTOSTART_TEMPLATE_FROM_BIN).lexically_normal(),
                  contentOf(ORVANE_AUTOSTART_TEMPLATE));
        return folder;
    }

    void TearDown() override { fs::remove_all(root); }

    // The helper of the installation in folder, or of the test's own.
    ProgramRun helper(const std::vector<std::string> &arguments, fs::path folder = {}) const {
        return runProgram(
            ((folder.empty() ? bin : folder) / "orvane-monitor-autostart").string(), arguments,
            {"HOME=" + (root / "home").string(), "XDG_CONFIG_HOME=" + config.string()});
    }

    std::set<std::string> entries() const {
        std::set<std::string> names;
        if (fs::exists(autostart)) {
            for (const fs::directory_entry &entry : fs::directory_iterator(autostart)) {
                names.insert(entry.path().filename().string());
            }
        }
        return names;
    }

    // What today's entries replace: one entry that runs the helper, and the address file.
    void makeEarlierSetup(const std::string &savedAddress, const std::string &extraKey) const {
        writeFile(autostart / "orvane-monitor.desktop",
                  "[Desktop Entry]\nType=Application\nName=Orvane Monitor\nExec=\"" +
                      (bin / "orvane-monitor-autostart").string() + "\"\n" + extraKey);
        writeFile(earlierAddressFile(), savedAddress);
    }

    fs::path earlierAddressFile() const { return config / "orvane-monitor" / "address"; }

    fs::path root, bin, config, autostart;
};

TEST_F(AutostartProgram, EnablesListsAndDisablesOneEntryPerDevice) {
    const std::string foreign = "[Desktop Entry]\nType=Application\nName=Other\nExec=other\n";
    writeFile(autostart / "other.desktop", foreign);

    EXPECT_EQ(helper({"--enable", kFirst}).exitCode, 0);
    // Another spelling of the second device's address names the same device.
    EXPECT_EQ(helper({"--enable", "127.0.03.11"}).exitCode, 0);
    const std::string firstEntry = contentOf(autostart / entryOf(kFirst));
    const ProgramRun again = helper({"--enable", kFirst});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_NE(again.standardOutput.find("already"), std::string::npos) << again.standardOutput;
    EXPECT_EQ(contentOf(autostart / entryOf(kFirst)), firstEntry);
    EXPECT_EQ(helper({"--list"}).standardOutput, std::string(kFirst) + "\n" + kSecond + "\n");
    EXPECT_EQ(entries(),
              (std::set<std::string>{"other.desktop", entryOf(kFirst), entryOf(kSecond)}));

    // Each entry starts the monitor beside the helper for its device, and keeps every key with
    // which the template holds desktops back until the tray is up.
    const std::string secondEntry = contentOf(autostart / entryOf(kSecond));
    EXPECT_NE(
        secondEntry.find("\nExec=\"" + (bin / "orvane-monitor").string() + "\" " + kSecond + "\n"),
        std::string::npos)
        << secondEntry;
    std::istringstream templateLines(contentOf(ORVANE_AUTOSTART_TEMPLATE));
    for (std::string line; std::getline(templateLines, line);) {
        if (line.rfind("X-", 0) == 0) {
            EXPECT_NE(secondEntry.find("\n" + line + "\n"), std::string::npos) << line;
        }
    }

    EXPECT_EQ(helper({"--disable", kFirst}).exitCode, 0);
    EXPECT_EQ(entries(), (std::set<std::string>{"other.desktop", entryOf(kSecond)}));
    EXPECT_EQ(helper({"--disable"}).exitCode, 0);
    EXPECT_EQ(entries(), std::set<std::string>{"other.desktop"});
    EXPECT_EQ(contentOf(autostart / "other.desktop"), foreign);
    const ProgramRun none = helper({"--list"});
    EXPECT_EQ(none.exitCode, 0);
    EXPECT_EQ(none.standardOutput, "");
}

TEST_F(AutostartProgram, RefusesWhatIsNoAddressAndWritesNothing) {
    std::vector<std::vector<std::string>> wrong = {
        {"--enable"}, {"--list", kFirst}, {"--enable", kFirst, kSecond},
        {"--start"},  {"--all-users"},    {"--all-users", "--enable", kFirst}};
    for (const std::string bad :
         {"", "127.0.3.256", "127.0.3", "127.0.3.010", "../../127.0.3.10", "127.0.3.10/..",
          "127.0.3.10 ", "127.0.3.10\n127.0.3.11", "-1.0.3.10", "*"}) {
        wrong.insert(wrong.end(), {{"--enable", bad}, {"--disable", bad}});
    }
    for (const std::vector<std::string> &command : wrong) {
        const ProgramRun run = helper(command);
        EXPECT_EQ(run.exitCode, 2) << command[0] << " " << command.back();
        EXPECT_TRUE(isOneLine(run.standardError)) << run.standardError;
        EXPECT_EQ(run.standardOutput, "");
    }
    EXPECT_FALSE(fs::exists(root / "home")) << "something was written";
}

TEST_F(AutostartProgram, TakesOverTheEntryOfEarlierVersions) {
    struct Case {
        std::string savedAddress;
        std::string extraKey;
        std::vector<std::string> command;
        std::set<std::string> entriesAfter;
    };
    const std::vector<Case> cases = {
        {std::string(kSaved) + "\n", "", {"--enable", kThird}, {entryOf(kSaved), entryOf(kThird)}},
        {std::string(kSaved) + "\n", "", {"--disable", kSaved}, {}},
        {std::string(kSaved) + "\n", "", {"--disable"}, {}},
        // The earlier helper took this; the monitor never did.
        {"999.1.1.1\n", "", {"--enable", kThird}, {entryOf(kThird)}},
        // Switched off in the desktop's settings, so it started nothing.
        {std::string(kSaved) + "\n", "Hidden=true\n", {"--enable", kThird}, {entryOf(kThird)}},
    };
    for (const Case &takeover : cases) {
        fs::remove_all(config);
        makeEarlierSetup(takeover.savedAddress, takeover.extraKey);
        const ProgramRun run = helper(takeover.command);
        EXPECT_EQ(run.exitCode, 0) << run.standardError;
        EXPECT_EQ(entries(), takeover.entriesAfter)
            << takeover.command[0] << " " << run.standardOutput;
        EXPECT_FALSE(fs::exists(earlierAddressFile()));
    }

    // Until then, the earlier entry's device counts among those that start at login.
    fs::remove_all(config);
    makeEarlierSetup(std::string(kSaved) + "\n", "");
    EXPECT_EQ(helper({"--list"}).standardOutput, std::string(kSaved) + "\n");
    EXPECT_TRUE(fs::exists(earlierAddressFile()));
}

TEST_F(AutostartProgram, WithoutOptionsStartsTheMonitorForTheSavedAddress) {
    const fs::path arguments = bin / "orvane-monitor.arguments";
    const std::vector<std::pair<std::string, std::string>> saved = {
        {std::string(kSaved) + "\r\n", std::string(kSaved) + "\n"},
        {" " + std::string(kSaved) + "\n127.0.3.13\n", std::string(kSaved) + "\n"},
        {"../../etc/passwd\n", ""},
    };
    for (const auto &[savedText, monitorArguments] : saved) {
        writeFile(earlierAddressFile(), savedText);
        const ProgramRun run = helper({});
        EXPECT_EQ(run.exitCode, 3) << "not the monitor's exit status: " << run.standardError;
        EXPECT_EQ(contentOf(arguments), monitorArguments) << savedText;
    }
    fs::remove(earlierAddressFile());
    fs::remove(arguments);
    EXPECT_EQ(helper({}).exitCode, 3);
    EXPECT_EQ(contentOf(arguments), "") << "the monitor got an address without a saved one";
}

TEST_F(AutostartProgram, ListSaysWhichStartsDoNotStartAndEnableMendsThem) {
    // One entry of an installation that has gone since, so its program is missing; two switched
    // off in a desktop's startup settings, each in its own way.
    const fs::path gone = root / "gone";
    EXPECT_EQ(helper({"--enable", kFirst}, install(gone)).exitCode, 0);
    fs::remove_all(gone);
    for (const auto &[address, from, to] : std::vector<std::array<std::string, 3>>{
             {kSecond, "\nType=Application\n", "\nType=Application\nHidden=true\n"},
             {kThird, "enabled=true", "enabled=false"}}) {
        EXPECT_EQ(helper({"--enable", address}).exitCode, 0);
        std::string entry = contentOf(autostart / entryOf(address));
        writeFile(autostart / entryOf(address), entry.replace(entry.find(from), from.size(), to));
    }
    const std::string missing = "program missing: " + (gone / "bin" / "orvane-monitor").string();
    const std::string off = " (switched off in the startup settings)\n";
    EXPECT_EQ(helper({"--list"}).standardOutput,
              std::string(kFirst) + " (" + missing + ")\n" + kSecond + off + kThird + off);

    for (const auto &[address, said] :
         std::vector<std::pair<std::string, std::string>>{{kFirst, "renewed (" + missing + ")"},
                                                          {kSecond, "switched on again"},
                                                          {kThird, "switched on again"}}) {
        const ProgramRun run = helper({"--enable", address});
        EXPECT_NE(run.standardOutput.find(said), std::string::npos) << run.standardOutput;
    }
    EXPECT_EQ(helper({"--list"}).standardOutput,
              std::string(kFirst) + "\n" + kSecond + "\n" + kThird + "\n");
}

TEST_F(AutostartProgram, AFailedWriteSaysSoAndLeavesNoHalfEntry) {
    // A folder where the entry would go: the rename that completes the entry cannot succeed.
    fs::create_directories(autostart / entryOf(kFirst));
    const ProgramRun run = helper({"--enable", kFirst});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(isOneLine(run.standardError)) << run.standardError;
    EXPECT_EQ(entries(), std::set<std::string>{entryOf(kFirst)});
    // Without the monitor beside it, no entry could start one.
    fs::remove(bin / "orvane-monitor");
    EXPECT_EQ(helper({"--enable", kSecond}).exitCode, 1);
    EXPECT_EQ(entries(), std::set<std::string>{entryOf(kFirst)});
}

} // namespace
