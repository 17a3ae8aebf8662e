#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "session/command_ids.h"
#include "settings/settings_location.h"
#include "shell/dispatch_command.h"
#include "support/scripted_shell_host.h"

namespace quillane {
namespace {

// "&Manual" and "&FAQ" are offered exactly when their file is in the data folder,
// and open that file with the desktop's viewer.
TEST(HelpCommands, OpenTheDataFoldersFileWhenItIsThere) {
  struct Case {
    int command;
    const char* file;
  };
  for (const Case c : {Case{cmd::kManual, kManualFileName}, Case{cmd::kFaq, kFaqFileName}}) {
    SCOPED_TRACE(c.file);
    Session s;
    test::ScriptedShellHost host(s);
    const std::filesystem::path file = programDataFolder() / c.file;
    const bool there = std::filesystem::is_regular_file(file);
    EXPECT_EQ(commandAvailable(s, host, c.command), there);
    dispatchCommand(s, host, c.command);
    if (there) {
      EXPECT_EQ(host.documentsOpened, std::vector<std::string>{file.string()});
    } else {
      EXPECT_TRUE(host.documentsOpened.empty());
    }
    EXPECT_TRUE(host.messages().empty());
  }
}

}  // namespace
}  // namespace quillane
