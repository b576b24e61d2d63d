// Autostart entries: the folder, the Exec line's quoting, and the files themselves.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/shell/Autostart.h"

namespace {

using namespace platform::shell;

class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

  private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string ReadAll(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

TEST(Autostart, FolderFromXdgConfigHomeOrHome) {
    ScopedEnv home("HOME", "/home/anna");
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/tmp/cfg");
        EXPECT_EQ(AutostartFolder(), "/tmp/cfg/autostart");
    }
    {
        ScopedEnv config("XDG_CONFIG_HOME", "relative/cfg");  // not absolute: ignored
        EXPECT_EQ(AutostartFolder(), "/home/anna/.config/autostart");
    }
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(AutostartFolder(), "/home/anna/.config/autostart");
}

TEST(Autostart, EntryPathNeedsAFolderAndAPlainName) {
    EXPECT_EQ(AutostartEntryPath("/c/autostart", "tunelink"), "/c/autostart/tunelink.desktop");
    EXPECT_EQ(AutostartEntryPath("", "tunelink"), "");
    EXPECT_EQ(AutostartEntryPath("/c", ""), "");
    EXPECT_EQ(AutostartEntryPath("/c", "../evil"), "");
    EXPECT_EQ(AutostartEntryPath("/c", ".."), "");
}

TEST(Autostart, ExecArgumentsAreQuotedAndEscaped) {
    EXPECT_EQ(QuoteExecArgument("/usr/bin/tunelink"), "/usr/bin/tunelink");
    EXPECT_EQ(QuoteExecArgument("/opt/My Radio/tunelink"), "\"/opt/My Radio/tunelink\"");
    EXPECT_EQ(QuoteExecArgument("/opt/100%/t"), "/opt/100%%/t");
    // Inside quotes `"`, `$` and `` ` `` get a backslash, which the file escapes once more.
    EXPECT_EQ(QuoteExecArgument("/a \"b\"$c`"), "\"/a \\\\\"b\\\\\"\\\\$c\\\\`\"");
    EXPECT_EQ(QuoteExecArgument("/a\\b"), "\"/a\\\\\\\\b\"");
}

class AutostartFiles : public ::testing::Test {
  protected:
    std::string Folder() const { return dir_.path().toStdString() + "/config/autostart"; }
    QTemporaryDir dir_;
};

TEST_F(AutostartFiles, CreatesTheFolderWritesAValidEntryAndRemovesIt) {
    const std::string path = AutostartEntryPath(Folder(), "tunelink");
    EXPECT_FALSE(AutostartEntryExists(path));
    ASSERT_TRUE(CreateAutostartEntry(path, "/opt/My Radio/tunelink", "Orbifon 1.0", "tunelink"));
    EXPECT_TRUE(AutostartEntryExists(path));
    EXPECT_EQ(ReadAll(path),
              "[Desktop Entry]\nType=Application\nName=Orbifon 1.0\nComment=tunelink\n"
              "Exec=\"/opt/My Radio/tunelink\"\nTerminal=false\n");
    EXPECT_TRUE(RemoveAutostartEntry(path));
    EXPECT_FALSE(AutostartEntryExists(path));
    EXPECT_TRUE(RemoveAutostartEntry(path)) << "removing a missing entry is not an error";
}

TEST_F(AutostartFiles, RefusesProgramPathsThatCannotBeWrittenInAnExecLine) {
    const std::string path = AutostartEntryPath(Folder(), "tunelink");
    EXPECT_FALSE(CreateAutostartEntry(path, "/opt/x\nExec=rm -rf ~", "n", "c"));
    EXPECT_FALSE(CreateAutostartEntry(path, "/opt/\xff\xfe", "n", "c"));
    EXPECT_FALSE(AutostartEntryExists(path));
}

TEST_F(AutostartFiles, NameAndCommentCannotAddLines) {
    const std::string path = AutostartEntryPath(Folder(), "tunelink");
    ASSERT_TRUE(CreateAutostartEntry(path, "/usr/bin/t", "A\nExec=evil", "c\\d"));
    const std::string text = ReadAll(path);
    EXPECT_NE(text.find("Name=A\\nExec=evil\n"), std::string::npos);
    EXPECT_NE(text.find("Comment=c\\\\d\n"), std::string::npos);
    EXPECT_EQ(text.find("\nExec=evil"), std::string::npos);
}

TEST_F(AutostartFiles, DesktopFileValidateAcceptsAwkwardProgramPaths) {
    const QString validator = QStandardPaths::findExecutable("desktop-file-validate");
    if (validator.isEmpty())
        GTEST_SKIP() << "desktop-file-validate is not installed";
    for (const char* program :
         {"/usr/bin/tunelink", "/opt/My Radio/tunelink", "/opt/a\"b$c`d\\e %f/t", "/opt/ü/t"}) {
        SCOPED_TRACE(program);
        const std::string path = AutostartEntryPath(Folder(), "tunelink");
        ASSERT_TRUE(CreateAutostartEntry(path, program, "Orbifon 1.0", "tunelink"));
        QProcess process;
        process.start(validator, {QString::fromStdString(path)});
        ASSERT_TRUE(process.waitForFinished(10000));
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardOutput().toStdString();
        EXPECT_TRUE(process.readAllStandardOutput().isEmpty());
    }
}

}  // namespace

#include <sys/stat.h>

// A link at the entry's place (dangling, or to someone's file) is replaced by a file of our
// own; what it points at is never created or changed.
TEST_F(AutostartFiles, ALinkAtTheEntrysPlaceIsReplacedNeverFollowed) {
    const std::string path = AutostartEntryPath(Folder(), "tunelink");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(Folder())));
    const std::string elsewhere = dir_.path().toStdString() + "/elsewhere";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(elsewhere)));

    const std::string missingTarget = elsewhere + "/created-by-the-radio";
    ASSERT_EQ(symlink(missingTarget.c_str(), path.c_str()), 0);
    ASSERT_TRUE(CreateAutostartEntry(path, "/usr/bin/tunelink", "Orbifon 1.0", "tunelink"));
    struct stat info {};
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(missingTarget)));

    const std::string someonesFile = elsewhere + "/notes.desktop";
    {
        QFile file(QString::fromStdString(someonesFile));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("mine");
    }
    ASSERT_TRUE(RemoveAutostartEntry(path));
    ASSERT_EQ(symlink(someonesFile.c_str(), path.c_str()), 0);
    ASSERT_TRUE(CreateAutostartEntry(path, "/usr/bin/tunelink", "Orbifon 1.0", "tunelink"));
    EXPECT_EQ(ReadAll(someonesFile), "mine");
    ASSERT_EQ(lstat(path.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));

    // Removing a link removes the link only.
    ASSERT_TRUE(RemoveAutostartEntry(path));
    ASSERT_EQ(symlink(someonesFile.c_str(), path.c_str()), 0);
    EXPECT_TRUE(RemoveAutostartEntry(path));
    EXPECT_NE(lstat(path.c_str(), &info), 0);
    EXPECT_EQ(ReadAll(someonesFile), "mine");
}
