// The bridge as the 16-bit driver calls it, with a double of QV3810ui that
// records what reached it: on 64-bit through the thunk stand-in, whose
// counters show every mapping and bracket; on the 32-bit platform through
// KERNEL32's own selectors and the platform's target protocol.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/win32/ui_double.h"
#include "thunk/standin.h"

#if defined(__i386__)
#define QV_STANDIN 0
#else
#define QV_STANDIN 1
#endif

namespace {

std::string DoubleFolder() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path);
    return p.substr(0, p.find_last_of('\\') + 1) + "double\\";
}

class BridgeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_bridge = LoadLibraryExA((DoubleFolder() + "QV3810T2.dll").c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
        ASSERT_NE(s_bridge, nullptr);
        HMODULE ui = GetModuleHandleA("QV3810ui.dll");
        ASSERT_NE(ui, nullptr);
        s_last = reinterpret_cast<DoubleLastCallFn>(reinterpret_cast<void*>(GetProcAddress(ui, "DoubleLastCall")));
        s_setResult = reinterpret_cast<DoubleSetResultFn>(reinterpret_cast<void*>(GetProcAddress(ui, "DoubleSetResult")));
        ASSERT_TRUE(s_last && s_setResult) << "the bridge did not bind the double";
    }

    void SetUp() override {
        memset(&host, 0, sizeof host);
        memset(&current, 0x11, sizeof current);
        memset(&defaults, 0x22, sizeof defaults);
        memset(header, 0, sizeof header);
        message16 = StandInRegisterSegment(&host, sizeof host);
        header16 = StandInRegisterSegment(header, sizeof header);
        current16 = StandInRegisterSegment(&current, sizeof current);
        defaults16 = StandInRegisterSegment(&defaults, sizeof defaults);
        ASSERT_TRUE(message16 && header16 && current16 && defaults16);
        s_setResult(1);
        StandInResetCounters();
        record = s_last();
        *record = {};
    }

    void TearDown() override {
        for (SEGPTR16 s : {message16, header16, current16, defaults16}) {
#if QV_STANDIN
            EXPECT_EQ(StandInLockCount(s), 0) << "a mapping was not undone";
#endif
            StandInReleaseSegment(s);
        }
    }

    DWORD CallPage(SEGPTR16 message, SEGPTR16 cur, SEGPTR16 def) {
        const SEGPTR16 args[3] = {message, cur, def};
        return StandInCall16(1, args, 3);
    }
    DWORD CallPage() { return CallPage(message16, current16, defaults16); }

    static HMODULE s_bridge;
    static DoubleLastCallFn s_last;
    static DoubleSetResultFn s_setResult;

    HostPageMessage host;
    BYTE header[12];
    PrintSettings current, defaults;
    SEGPTR16 message16 = 0, header16 = 0, current16 = 0, defaults16 = 0;
    DoubleRecord* record = nullptr;
};

HMODULE BridgeTest::s_bridge;
DoubleLastCallFn BridgeTest::s_last;
DoubleSetResultFn BridgeTest::s_setResult;

// What the bridge gives ThunkConnect32: the stand-in records it; on the
// 32-bit platform the caller's side reads it from the call (and finds the
// target table through the partner's name, as the platform does).
TEST_F(BridgeTest, ConnectsTheThunkWithTheDriversNamesOnEveryReason) {
    const ThunkConnectRecord* c = StandInConnection();
    EXPECT_TRUE(c->Connected);
    EXPECT_STREQ(c->Signature, "SL01");
    EXPECT_EQ(c->Checksum, 2259u);
    EXPECT_STREQ(c->ThunkData16, "PK_ThunkData16");
    EXPECT_STREQ(c->Module16, "QV3810T1.DLL");
    EXPECT_STREQ(c->Module32, "QV3810T2.DLL");
    EXPECT_EQ(c->Instance, s_bridge);
#if QV_STANDIN
    EXPECT_EQ(c->Reasons[DLL_PROCESS_ATTACH], 1);

    const LONG before = c->Reasons[DLL_THREAD_ATTACH];
    HANDLE thread = CreateThread(nullptr, 0, [](LPVOID) -> DWORD { return 0; }, nullptr, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(c->Reasons[DLL_THREAD_ATTACH], before + 1);
    EXPECT_GE(c->Reasons[DLL_THREAD_DETACH], 1);
#endif
}

#if !QV_STANDIN
// The platform removes the arguments that the target reports in CX.
TEST_F(BridgeTest, TargetsRemoveTheirArgumentBytes) {
    host = {1001, 0, 0, 0x000F, 0, 0, 0};
    CallPage();
    EXPECT_EQ(StandInCounters()->LastPopped, 12);
    ColorAdjustment color = {};
    BYTE table[16];
    const SEGPTR16 args[2] = {StandInRegisterSegment(&color, sizeof color), StandInRegisterSegment(table, sizeof table)};
    StandInCall16(0, args, 2);
    EXPECT_EQ(StandInCounters()->LastPopped, 8);
    for (SEGPTR16 s : args) StandInReleaseSegment(s);
}
#endif

TEST_F(BridgeTest, EachKindReachesItsPageWithFlatPointers) {
    for (int32_t kind = 1001; kind <= 1004; ++kind) {
        host = {kind, 0xABCD, 0x1234, 0x0111, 1010, 0x00090000, 0};
        EXPECT_EQ(CallPage(), 1u);
        EXPECT_EQ(record->Which, kind);
        EXPECT_EQ(record->Current, &current);
        EXPECT_EQ(record->Defaults, &defaults);
        EXPECT_NE(record->MessagePointer, nullptr);
        EXPECT_NE(static_cast<void*>(record->MessagePointer), static_cast<void*>(&host)) << "pages get a copy";
        EXPECT_EQ(record->Message.HostValue, 0xABCDu);
        EXPECT_EQ(record->Message.PageWindow, 0x1234u);
        EXPECT_EQ(record->Message.WParam, 1010u);
        EXPECT_EQ(record->Message.LParam, 0x00090000u);
        EXPECT_EQ(CommandCode(record->Message), 9);
    }
    EXPECT_EQ(record->Calls, 4);
}

TEST_F(BridgeTest, NotifyWithHeaderGivesThePageTheFlatHeaderAndLeavesTheHostMessage) {
    header[8] = 0x38;
    header[9] = 0xFF;
    host = {1002, 7, 0x1234, 0x004E, 0, 0x55AA, header16};
    const HostPageMessage before = host;
    EXPECT_EQ(CallPage(), 1u);
    EXPECT_EQ(record->Message.LParam, reinterpret_cast<uintptr_t>(header));
    EXPECT_EQ(record->Message.NotifyHeader, reinterpret_cast<uintptr_t>(header));
    EXPECT_EQ(memcmp(&before, &host, sizeof host), 0) << "the host's message was written";
}

TEST_F(BridgeTest, NotifyWithoutHeaderKeepsTheHostsLParam) {
    host = {1001, 7, 0x1234, 0x004E, 0, 0x55AA, 0};
    EXPECT_EQ(CallPage(), 1u);
    EXPECT_EQ(record->Message.LParam, 0x55AAu);
    EXPECT_EQ(record->Message.NotifyHeader, 0u);
}

TEST_F(BridgeTest, ResultsFoldToSixteenBits) {
    host = {1001, 0, 0, 0x000F, 0, 0, 0};
    const struct {
        int32_t Page;
        DWORD Host;
    } cases[] = {{1, 1}, {0, 0}, {0x00010000, 1}, {0x12340000, 0x1234}, {0x00F0000F, 0x00FF}, {-1, 0xFFFF}};
    for (const auto& c : cases) {
        s_setResult(c.Page);
        EXPECT_EQ(CallPage(), c.Host) << std::hex << c.Page;
    }
}

TEST_F(BridgeTest, UnknownKindsReturnFalseAndCallNoPage) {
    for (int32_t kind : {1000, 1005, 0, -1}) {
        host = {kind, 0, 0, 0x000F, 0, 0, 0};
        EXPECT_EQ(CallPage(), 0u) << kind;
    }
    EXPECT_EQ(record->Calls, 0);
}

#if QV_STANDIN
TEST_F(BridgeTest, UnmapsMessageHeaderDefaultsCurrentInOneCall) {
    host = {1003, 0, 0, 0x004E, 0, 0, header16};
    CallPage();
    const ThunkCounters* k = StandInCounters();
    EXPECT_EQ(k->UnmapCalls, 1);
    EXPECT_EQ(k->LastUnmapCount, 4);
    EXPECT_EQ(k->LastUnmapList[0], message16);
    EXPECT_EQ(k->LastUnmapList[1], header16);
    EXPECT_EQ(k->LastUnmapList[2], defaults16);
    EXPECT_EQ(k->LastUnmapList[3], current16);
    EXPECT_EQ(k->Maps, 4);

    // Without a header the zero pointer is still mapped and listed.
    host.NotifyHeader = 0;
    CallPage();
    EXPECT_EQ(k->LastUnmapList[1], 0u);
    EXPECT_EQ(k->Maps, 8);
}

TEST_F(BridgeTest, PrologAndEpilogBracketEveryCall) {
    host = {1004, 0, 0, 0x0110, 0, 0, 0};
    CallPage();
    CallPage();
    host.PageKind = 999;
    CallPage();
    const ThunkCounters* k = StandInCounters();
    EXPECT_EQ(k->Prologs, 3);
    EXPECT_EQ(k->Epilogs, 3);
    EXPECT_EQ(k->Depth, 0);
    EXPECT_EQ(k->MaxDepth, 1);
    EXPECT_EQ(record->DepthDuringCall, 1) << "the page ran outside the bracket";
}
#endif

TEST_F(BridgeTest, MissingOrUnmappedPointersCallNothing) {
    host = {1001, 0, 0, 0x000F, 0, 0, 0};
    EXPECT_EQ(CallPage(0, current16, defaults16), 0u);
    EXPECT_EQ(CallPage(message16, 0, defaults16), 0u);
    EXPECT_EQ(CallPage(message16, current16, 0), 0u);
    EXPECT_EQ(record->Calls, 0);
#if QV_STANDIN
    // Selectors the platform never gave out (the stand-in knows them).
    EXPECT_EQ(CallPage(0x7FF70000, current16, defaults16), 0u);
    EXPECT_EQ(CallPage(message16, current16, 0x7FF70000), 0u);
    EXPECT_EQ(record->Calls, 0);
    EXPECT_EQ(MapSLFix(0x7FF70010), nullptr);
    // Every call was still bracketed and its list unmapped.
    EXPECT_EQ(StandInCounters()->UnmapCalls, 5);
    EXPECT_EQ(StandInCounters()->Prologs, 5);
#endif
}

TEST_F(BridgeTest, TableEntryPassesColorAndBufferAndUnmapsBoth) {
    ColorAdjustment color = {};
    BYTE table[16];
    SEGPTR16 color16 = StandInRegisterSegment(&color, sizeof color);
    SEGPTR16 table16 = StandInRegisterSegment(table, sizeof table);
    const SEGPTR16 args[2] = {color16, table16};
    EXPECT_EQ(StandInCall16(0, args, 2), 0u);
    EXPECT_EQ(record->Which, 0);
    EXPECT_EQ(record->Color, &color);
    EXPECT_EQ(record->Table, table);
#if QV_STANDIN
    EXPECT_EQ(record->DepthDuringCall, 1);
    const ThunkCounters* k = StandInCounters();
    EXPECT_EQ(k->LastUnmapCount, 2);
    EXPECT_EQ(k->LastUnmapList[0], table16);
    EXPECT_EQ(k->LastUnmapList[1], color16);
    EXPECT_EQ(StandInLockCount(color16), 0);
    EXPECT_EQ(StandInLockCount(table16), 0);
#endif

    // A missing buffer is never written to.
    const SEGPTR16 bad[2] = {color16, 0};
    record->Calls = 0;
    StandInCall16(0, bad, 2);
    EXPECT_EQ(record->Calls, 0);
    StandInReleaseSegment(color16);
    StandInReleaseSegment(table16);
}

}  // namespace
