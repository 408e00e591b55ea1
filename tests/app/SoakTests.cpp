// A long seeded random run of everything a user does with the bar and the tray while another
// program keeps opening and closing windows. After every step the windows on screen must be those
// a model of the working areas predicts; at the exit no window may stay hidden, and the program's
// handles and GDI objects must not have grown.
#include "tests/app/ProcessCounters.h"
#include "tests/helpers/HelperProcess.h"
#include "tests/support/ZelvanorProcess.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <set>
#include <sstream>

using namespace ztest;

namespace {

constexpr int kOperations = 2400;
constexpr int kWarmUp = 200; // resource counts are taken as a baseline after these
constexpr unsigned kDefaultSeed = 20150607;

using WindowSet = std::set<HWND>;

enum Op { kSwitch, kAdd, kTrayAddOp, kDelete, kRename, kHide, kShow, kChurn, kOpCount };
const char* const kOpNames[kOpCount] = {"switch", "add",  "tray add", "delete",
                                        "rename", "hide", "show",     "churn"};

// What the user should see, from the commands given so far.
struct Model {
    int current = 0;
    int counter = 1; // number of the last area created
    // The names each row may show: one, or two when the bar lost the focus during a rename
    // (which commits it) at about the moment its text was set.
    std::vector<std::set<std::wstring>> names{{L"工作区1"}};
    std::vector<WindowSet> recorded{WindowSet{}}; // visible windows when each area was last left
    WindowSet onScreen;
    WindowSet everRecorded;
    bool barVisible = true;

    int Rows() const { return static_cast<int>(names.size()); }
    void ShowRecorded(int area) { onScreen.insert(recorded[area].begin(), recorded[area].end()); }
    void Add() {
        names.push_back({L"工作区" + std::to_wstring(++counter)});
        recorded.emplace_back();
    }
    void SwitchTo(int target) {
        if (target == current) {
            return;
        }
        recorded[current] = onScreen;
        everRecorded.insert(onScreen.begin(), onScreen.end());
        onScreen.clear();
        current = target;
        ShowRecorded(current);
    }
    void Delete(int row) {
        const bool wasCurrent = row == current;
        ShowRecorded(row);
        names.erase(names.begin() + row);
        recorded.erase(recorded.begin() + row);
        if (wasCurrent) {
            current = 0;
            ShowRecorded(0);
        } else if (row < current) {
            --current;
        }
    }
    void Closed(HWND hwnd) {
        onScreen.erase(hwnd);
        for (WindowSet& set : recorded) {
            set.erase(hwnd);
        }
        everRecorded.erase(hwnd);
    }
};

std::string Describe(const WindowSet& set) {
    std::ostringstream out;
    out << "{";
    for (HWND hwnd : set) {
        out << " " << hwnd;
    }
    out << " }";
    return out.str();
}

class Soak : public ::testing::Test {
protected:
    zhelper::HelperProcess helper;
    ZelvanorProcess app;
    Model model;
    std::mt19937 random;
    int counts[kOpCount] = {};
    Op lastOp = kSwitch;
    int staleSizes = 0;
    size_t windowChecks = 0; // window visibilities compared with the model
    WindowSet everTracked;

    int Pick(int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); }

    // Every window of the helper that is open now. Tracked here: asking the helper for each of
    // its ever-growing slots after every step would cost more than the step.
    WindowSet tracked;
    std::map<HWND, int> slotOf;
    int slotsSeen = 0;
    void TrackHelperWindows() {
        for (auto it = tracked.begin(); it != tracked.end();) {
            if (IsWindow(*it)) {
                ++it;
            } else {
                slotOf.erase(*it);
                it = tracked.erase(it);
            }
        }
        const int slots = helper.Count();
        for (; slotsSeen < slots; ++slotsSeen) {
            if (HWND hwnd = helper.Window(slotsSeen)) {
                tracked.insert(hwnd);
                slotOf[hwnd] = slotsSeen;
            }
        }
    }
    const WindowSet& HelperWindows() const { return tracked; }
    WindowSet VisibleHelperWindows() const {
        WindowSet visible;
        for (HWND hwnd : HelperWindows()) {
            if (IsWindowVisible(hwnd)) {
                visible.insert(hwnd);
            }
        }
        return visible;
    }

    // The screen and the bar agree with the model; a message saying how they do not otherwise.
    std::string Check() {
        if (!helper.Sync()) {
            return "the helper does not answer";
        }
        const WindowSet visible = VisibleHelperWindows();
        windowChecks += tracked.size();
        everTracked.insert(tracked.begin(), tracked.end());
        if (visible != model.onScreen) {
            return "visible " + Describe(visible) + ", expected " + Describe(model.onScreen);
        }
        if (!WaitUntil([&] { return app.Rows() == model.Rows(); }, 3000)) {
            // Under Wine with a window manager the bar now and then takes back the size it had
            // before its last resize: the window manager reports a stale geometry and Wine
            // adopts it. The bar's size no longer tells its list; folding and unfolding it sizes
            // it from the list again, which must then be right.
            const RECT rc = app.WindowRect();
            std::printf("soak: stale bar size after %s: %d rows shown, %d expected, window "
                        "%ld,%ld-%ld,%ld\n",
                        kOpNames[lastOp], app.Rows(), model.Rows(), rc.left, rc.top, rc.right,
                        rc.bottom);
            ++staleSizes;
            for (int click = 0; click < 2; ++click) {
                if (!app.Click(CollapseButtonX(app.ClientSize().cx), kButtonY)) {
                    return "the bar did not take the click";
                }
            }
            if (!app.WaitRows(model.Rows())) {
                return "the bar shows " + std::to_string(app.Rows()) + " rows, expected " +
                       std::to_string(model.Rows());
            }
        }
        if (app.Visible() != model.barVisible) {
            return model.barVisible ? "the bar is hidden" : "the bar is shown";
        }
        return "";
    }

    std::string Hide() {
        bool sent = false;
        switch (Pick(6)) {
        case 0:
            sent = app.Post(WM_KEYDOWN, VK_ESCAPE, KeyData(VK_ESCAPE));
            break;
        case 1:
            sent = app.Post(WM_KEYDOWN, VK_RETURN, KeyData(VK_RETURN));
            break;
        case 2:
            sent = app.Command(IDCANCEL);
            break;
        case 3:
            sent = app.Command(IDOK);
            break;
        case 4:
            sent = app.Click(CloseButtonX(app.ClientSize().cx), kButtonY);
            break;
        default:
            app.Send(WM_SYSCOMMAND, SC_CLOSE, 0, &sent);
            break;
        }
        model.barVisible = false;
        return sent && app.WaitVisible(false) ? "" : "the bar did not hide";
    }

    std::string Show() {
        const bool ok = Pick(2) ? app.TrayDoubleClick() : app.TrayMenu(ID_TRAY_OPEN);
        model.barVisible = true;
        return ok && app.WaitVisible(true) ? "" : "the bar did not come back";
    }

    std::string Run(Op op) {
        switch (op) {
        case kSwitch: {
            const int target = Pick(model.Rows());
            if (!app.ClickRow(target)) {
                return "the bar did not take the click";
            }
            model.SwitchTo(target);
            return "";
        }
        case kAdd:
        case kTrayAddOp: {
            const bool chosen = op == kAdd ? app.RowMenu(Pick(model.Rows()), ID_ADD_WORKING_AREA)
                                           : app.TrayMenu(ID_TRAY_ADD_WORKING_AREA);
            model.Add();
            return chosen && app.WaitRows(model.Rows()) ? "" : "no row was added";
        }
        case kDelete: {
            const int row = Pick(model.Rows());
            if (!app.RowMenu(row, ID_DELETE_WORKING_AREA)) {
                return "the menu did not work";
            }
            if (model.Rows() == 1) {
                HWND box = nullptr;
                if (!WaitUntil([&] { return (box = app.MessageBoxWindow()) != nullptr; })) {
                    return "no message box for the last area";
                }
                const std::wstring text = TextOf(GetDlgItem(box, 0xFFFF));
                PostMessageW(box, WM_COMMAND, IDOK, 0);
                if (!WaitUntil([&] { return app.MessageBoxWindow() == nullptr; })) {
                    return "the message box stays";
                }
                return text == L"Can't delete the last zelvanor." ? "" : "wrong message";
            }
            model.Delete(row);
            return app.WaitRows(model.Rows()) ? "" : "no row was deleted";
        }
        case kRename: {
            const int row = Pick(model.Rows());
            // The box ends a rename when it loses the focus, and under Wine the focus moves when
            // another program's window opens or closes, at the window manager's pace. Rare: the
            // rename is simply started again.
            bool started = false;
            for (int attempt = 0; attempt < 3 && !started; ++attempt) {
                started = app.StartRename(row);
            }
            if (!started) {
                return "no rename box for row " + std::to_string(row);
            }
            const std::wstring shown = TextOf(app.RenameEdit());
            if (!model.names[row].count(shown)) {
                return "the rename box of row " + std::to_string(row) + " shows another name";
            }
            const std::wstring name = L"名" + std::to_wstring(Pick(1000));
            if (!app.SetEditText(name)) {
                return "the rename box took no text";
            }
            if (IsWindowVisible(app.RenameEdit())) {
                model.names[row] = {name};
            } else {
                model.names[row] = {shown, name};
            }
            // Ended by a click on the current row (which never switches), or by an add.
            if (Pick(4) == 0) {
                if (!app.TrayMenu(ID_TRAY_ADD_WORKING_AREA)) {
                    return "the tray menu did not work";
                }
                model.Add();
                if (!app.WaitRows(model.Rows())) {
                    return "no row was added";
                }
            } else if (!app.ClickRow(model.current)) {
                return "the bar did not take the click";
            }
            return WaitVisible(app.RenameEdit(), false) ? "" : "the rename box stays";
        }
        case kHide:
            return Hide();
        case kShow:
            return Show();
        case kChurn: {
            const WindowSet before = HelperWindows();
            if (slotOf.size() > 0 && tracked.size() > 24) {
                // Keep the run's pace: close some of the helper's windows instead.
                for (int i = 0; i < 3; ++i) {
                    auto it = slotOf.begin();
                    std::advance(it, Pick(static_cast<int>(slotOf.size())));
                    helper.Send(zhelper::kMsgClose, it->second);
                    slotOf.erase(it);
                }
            } else {
                helper.Send(zhelper::kMsgChurn, random(), 1 + Pick(4));
            }
            TrackHelperWindows();
            for (HWND hwnd : before) {
                if (!tracked.count(hwnd)) {
                    model.Closed(hwnd);
                }
            }
            for (HWND hwnd : tracked) {
                if (!before.count(hwnd)) {
                    model.onScreen.insert(hwnd); // opened on the current screen
                }
            }
            return "";
        }
        default:
            return "unknown operation";
        }
    }

    Op Choose() {
        if (!model.barVisible) {
            // Only the tray reaches a hidden bar.
            const int r = Pick(10);
            return r < 5 ? kShow : r < 7 ? kTrayAddOp : kChurn;
        }
        // Weighted so that the list stays a few rows long.
        const int r = Pick(100);
        if (r < 34) {
            return kSwitch;
        }
        if (r < 44) {
            return model.Rows() < 8 ? kAdd : kDelete;
        }
        if (r < 49) {
            return model.Rows() < 8 ? kTrayAddOp : kSwitch;
        }
        if (r < 63) {
            return kDelete;
        }
        if (r < 73) {
            return kRename;
        }
        if (r < 79) {
            return kHide;
        }
        return kChurn;
    }

    ProcessCounters Measure() {
        if (!model.barVisible) {
            EXPECT_EQ(Show(), "");
        }
        Repaint(app.Bar());
        EXPECT_TRUE(app.Answers());
        return ReadProcessCounters(app.Process(), app.Pid());
    }
};

void Print(const char* when, const ProcessCounters& c) {
    std::printf("soak: %s: kernel handles %ld, GDI objects %ld, private bytes %lu\n", when,
                c.kernelHandles, c.gdiObjects, static_cast<unsigned long>(c.privateBytes));
}

} // namespace

TEST_F(Soak, RandomRunLosesNoWindowAndLeaksNoHandle) {
    unsigned seed = kDefaultSeed;
    if (const char* text = std::getenv("ZELVANOR_SOAK_SEED")) {
        seed = static_cast<unsigned>(std::strtoul(text, nullptr, 10));
    }
    random.seed(seed);
    std::printf("soak: seed %u (set ZELVANOR_SOAK_SEED to repeat another)\n", seed);

    ASSERT_TRUE(helper.Start(L"--windows 4 --dialog"));
    ASSERT_TRUE(app.Start());
    TrackHelperWindows();
    tracked.insert(helper.Special(zhelper::kDialog));
    model.onScreen = HelperWindows();
    ASSERT_EQ(model.onScreen.size(), 5u);
    ASSERT_EQ(Check(), "");

    ProcessCounters baseline;
    int done = 0;
    std::string failure;
    std::vector<std::string> history; // the last few steps, for a failure's message
    for (; done < kOperations && failure.empty(); ++done) {
        if (done == kWarmUp) {
            baseline = Measure();
            Print("after warm-up", baseline);
        }
        if (done % 400 == 0) {
            std::printf("soak: %d operations, %d rows, %zu windows of the helper open\n", done,
                        model.Rows(), tracked.size());
            std::fflush(stdout);
        }
        const Op op = Choose();
        ++counts[op];
        history.push_back(std::string(kOpNames[op]) + (model.barVisible ? "" : " (bar hidden)") +
                          " with " + std::to_string(model.Rows()) + " rows, current " +
                          std::to_string(model.current));
        if (history.size() > 8) {
            history.erase(history.begin());
        }
        lastOp = op;
        std::string problem = Run(op);
        if (problem.empty()) {
            problem = Check();
        }
        history.back() += " -> " + std::to_string(app.Rows()) + " rows" +
                          (app.Visible() ? "" : ", bar hidden") + (problem.empty() ? "" : " !");
        if (!problem.empty()) {
            failure = "operation " + std::to_string(done) + " (" + kOpNames[op] + "): " + problem +
                      "\nlast steps:";
            for (const std::string& step : history) {
                failure += "\n  " + step;
            }
        }
    }
    EXPECT_EQ(failure, "") << "seed " << seed;
    if (!failure.empty()) {
        const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SaveBitmapFile(CaptureScreen(screen), ExeDir() + L"\\..\\soak-failure.bmp");
    }
    EXPECT_GE(done, 2000);

    std::printf("soak: %d operations:", done);
    for (int op = 0; op < kOpCount; ++op) {
        std::printf(" %s %d%s", kOpNames[op], counts[op], op + 1 < kOpCount ? "," : "\n");
    }
    const ProcessCounters final = Measure();
    Print("at the end", final);
    if (baseline.kernelHandles >= 0 && final.kernelHandles >= 0) {
        EXPECT_LE(final.kernelHandles, baseline.kernelHandles + 8) << "kernel handles grow";
    } else {
        ADD_FAILURE() << "the program's kernel handles could not be counted";
    }
    if (baseline.gdiObjects >= 0 && final.gdiObjects >= 0) {
        EXPECT_LE(final.gdiObjects, baseline.gdiObjects + 16) << "GDI objects grow";
    } else {
        ADD_FAILURE() << "the program's GDI objects could not be counted";
    }

    // The exit shows every window any area holds hidden; make sure some are.
    if (model.onScreen.size() == HelperWindows().size()) {
        ASSERT_EQ(Run(kAdd), "");
        ASSERT_EQ(Run(kChurn), ""); // at least one window of the current area
        ASSERT_TRUE(app.ClickRow(model.Rows() - 1));
        model.SwitchTo(model.Rows() - 1);
        ASSERT_EQ(Check(), "");
    }
    const WindowSet open = HelperWindows();
    {
        const std::vector<HWND> plain = helper.Windows();
        WindowSet fresh(plain.begin(), plain.end());
        fresh.insert(helper.Special(zhelper::kDialog));
        ASSERT_EQ(fresh, open) << "the helper's windows were not all tracked";
    }
    int hiddenAtExit = 0;
    for (HWND hwnd : open) {
        hiddenAtExit += !IsWindowVisible(hwnd);
    }
    int recordedStillOpen = 0;
    for (HWND hwnd : model.everRecorded) {
        recordedStillOpen += open.count(hwnd) != 0;
    }
    ASSERT_TRUE(app.Exit()) << "the program did not end";
    ASSERT_TRUE(helper.Sync());
    int lost = 0;
    for (HWND hwnd : open) {
        lost += !IsWindowVisible(hwnd);
    }
    std::printf("soak: %zu checks of the visibility of %zu windows against the model\n",
                windowChecks, everTracked.size());
    std::printf("soak: %d times the bar took a stale size from the window manager\n", staleSizes);
    std::printf("soak: checked %zu windows at exit (%d hidden by an area before it, %d recorded "
                "as visible when an area was left), lost %d\n",
                open.size(), hiddenAtExit, recordedStillOpen, lost);
    EXPECT_EQ(lost, 0);
    EXPECT_GT(hiddenAtExit, 0) << "the run ended with nothing hidden: the exit proved nothing";
}
