// The optional resource library "qorv.dll": taken only from the program's own folder, used for
// its resources only (no code of it runs), and ignored when it is not a library at all.
#include "tests/app/ProgramCopy.h"
#include "tests/app/ScratchFolder.h"
#include "tests/support/Session.h"
#include <deque>

using namespace ztest;

namespace {

const wchar_t kMarkerFile[] = L"qorv-code-ran.txt";

std::wstring TextLibrary() {
    return ExeDir() + L"\\qorv-text\\qorv.dll";
}
std::wstring MarkerLibrary() {
    return ExeDir() + L"\\qorv-marker\\qorv.dll";
}

class EndToEndResourceLibrary : public Session {
protected:
    // Folders outlive the program started in them: a running program holds its file and folder.
    std::deque<ProgramCopy> copies;
    std::deque<ScratchFolder> folders;
};

} // namespace

TEST_F(EndToEndResourceLibrary, TextsComeFromTheLibraryBesideTheProgram) {
    ProgramCopy& copy = copies.emplace_back(L"text");
    ASSERT_TRUE(copy.Ok());
    ASSERT_TRUE(CopyFileW(TextLibrary().c_str(), copy.Library().c_str(), FALSE));

    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .rows = 1, .exe = copy.Program()}));
    EXPECT_EQ(app.NameOf(0), L"区域1");
    ASSERT_TRUE(app.RowMenu(0, ID_ADD_WORKING_AREA));
    ASSERT_TRUE(app.WaitRows(2));
    EXPECT_EQ(app.NameOf(1), L"区域2");
    // Everything else of the library works too: the tray menu comes from it.
    ASSERT_TRUE(app.Command(IDCANCEL));
    ASSERT_TRUE(app.WaitVisible(false));
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_OPEN));
    EXPECT_TRUE(app.WaitVisible(true));
    EXPECT_TRUE(Exit());
}

TEST_F(EndToEndResourceLibrary, CodeOfTheLibraryNeverRuns) {
    ProgramCopy& copy = copies.emplace_back(L"marker");
    ASSERT_TRUE(copy.Ok());
    ASSERT_TRUE(CopyFileW(MarkerLibrary().c_str(), copy.Library().c_str(), FALSE));
    const std::wstring marker = copy.Folder().File(kMarkerFile);

    // The library's code does leave its file when it is loaded as code.
    ASSERT_TRUE(UniqueModule(LoadLibraryW(copy.Library().c_str())));
    ASSERT_TRUE(FileExists(marker)) << "the marker library writes no file: the test proves nothing";
    ASSERT_TRUE(DeleteFileW(marker.c_str()));

    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .rows = 1, .exe = copy.Program()}));
    EXPECT_EQ(app.NameOf(0), L"工作区1");
    ASSERT_TRUE(app.TrayMenu(ID_TRAY_ADD_WORKING_AREA));
    EXPECT_TRUE(app.WaitRows(2));
    EXPECT_TRUE(Exit());
    EXPECT_FALSE(FileExists(marker)) << "code of the resource library ran";
}

TEST_F(EndToEndResourceLibrary, AFileThatIsNoLibraryIsIgnored) {
    ProgramCopy& copy = copies.emplace_back(L"junk");
    ASSERT_TRUE(copy.Ok());
    ASSERT_TRUE(WriteTextFile(copy.Library(), "this is not a library\r\n"));

    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .rows = 1, .exe = copy.Program()}));
    EXPECT_EQ(app.ClientSize().cx, BarLayout::kClientWidth);
    EXPECT_EQ(app.Rows(), 1);
    EXPECT_EQ(app.NameOf(0), L"工作区1");
    EXPECT_TRUE(app.TrayIconPresent());
    EXPECT_TRUE(Exit());
}

TEST_F(EndToEndResourceLibrary, ALibraryInTheCurrentFolderIsIgnored) {
    ScratchFolder& textFolder = folders.emplace_back(L"cwd-text");
    ASSERT_TRUE(CopyFileW(TextLibrary().c_str(), textFolder.File(L"qorv.dll").c_str(), FALSE));
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .rows = 1, .folder = textFolder.Path()}));
    EXPECT_EQ(app.NameOf(0), L"工作区1");
    EXPECT_TRUE(Exit());

    ScratchFolder& markerFolder = folders.emplace_back(L"cwd-marker");
    ASSERT_TRUE(CopyFileW(MarkerLibrary().c_str(), markerFolder.File(L"qorv.dll").c_str(), FALSE));
    ASSERT_NO_FATAL_FAILURE(Start({.helper = L"", .rows = 1, .folder = markerFolder.Path()}));
    EXPECT_EQ(app.NameOf(0), L"工作区1");
    EXPECT_TRUE(Exit());
    EXPECT_FALSE(FileExists(markerFolder.File(kMarkerFile)));
}
