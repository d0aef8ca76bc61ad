// The element tree: handles (stale and unknown ones refused), deleting,
// copying subtrees, searching by attribute, and fingerprints.
#include "platform/zevud/zevud.h"

#include "support/scratch.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#define XXH_INLINE_ALL
#include <xxhash.h>

#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <thread>

using zevud_test::ScratchDir;
using zevud_test::WriteFile;

namespace {

const zevud::Fingerprint kZero{};

// A small position-like document.
ZVDOC MakeSample(const std::string& file) {
    ZVDOC d = ZEVUD_CreateDoc(file.c_str());
    ZVELEM root = ZEVUD_GetRootElement(d);
    ZEVUD_SetString(root, "progname", "RIGEL");
    ZVELEM input = ZEVUD_AddChildElement(root, "input");
    ZEVUD_SetDouble(input, "L", 6.5);
    ZEVUD_SetInt(input, "nPage", 1);
    for (int i = 0; i < 3; ++i) {
        ZVELEM load = ZEVUD_AddChildElement(input, ("load_" + std::to_string(i)).c_str());
        ZEVUD_SetString(load, "LCGen", "1,3,5");
        ZEVUD_SetDouble(load, "q", 10.0 + i);
    }
    const unsigned char bytes[4] = {9, 8, 7, 6};
    ZEVUD_SetBinData(input, "dataFile", 4, bytes, 1);
    return d;
}

ZVELEM Input(ZVDOC d) { return ZEVUD_FindFirstChild(ZEVUD_GetRootElement(d), "input"); }

}  // namespace

TEST(Handles, StaleAndUnknownHandlesAreRefused) {
    ZVDOC d = MakeSample("");
    ZVELEM root = ZEVUD_GetRootElement(d);
    ZVELEM input = Input(d);
    ZVELEM load = ZEVUD_FindFirstChild(input, "load_1");
    ASSERT_NE(load, 0u);
    ASSERT_EQ(ZEVUD_DeleteElement(load), 1);
    ZVELEM newer = ZEVUD_AddChildElement(input, "load_9");  // may reuse the slot
    EXPECT_NE(newer, load) << "a new element never takes an old handle";

    ZVDOC other = ZEVUD_CreateDoc("");
    ZEVUD_CloseDoc(other);

    // Each bad handle: deleted element, closed document, a document handle
    // used as an element and back, zero, and made-up numbers.
    const uint32_t bad[] = {load, other, 0u, 0xFFFFFFFFu, 0x00FFFFFFu, 0x12345678u, d ^ 0xFF000000u};
    for (uint32_t h : bad) {
        SCOPED_TRACE(h);
        char buf[8] = "xxxxxxx";
        unsigned char fp[16];
        std::memset(fp, 0xEE, 16);
        EXPECT_EQ(ZEVUD_GetInt(h, "q"), 0);
        EXPECT_EQ(ZEVUD_GetDouble(h, "q"), 0.0);
        EXPECT_EQ(ZEVUD_GetString(h, "LCGen", buf, sizeof buf), 0);
        EXPECT_STREQ(buf, "");
        EXPECT_EQ(ZEVUD_SetInt(h, "q", 1), 0);
        EXPECT_EQ(ZEVUD_SetString(h, "q", "1"), 0);
        EXPECT_EQ(ZEVUD_AddChildElement(h, "x"), 0u);
        EXPECT_EQ(ZEVUD_DeleteElement(h), 0);
        EXPECT_EQ(ZEVUD_FindFirstChild(h, "x"), 0u);
        EXPECT_EQ(ZEVUD_GetNextChild(h), 0u);
        EXPECT_EQ(ZEVUD_GetParentElement(h), 0u);
        EXPECT_EQ(ZEVUD_GetDocument(h), 0u);
        EXPECT_EQ(ZEVUD_GetAttrCount(h), 0);
        EXPECT_EQ(ZEVUD_CloneElementTree(h, input), 0);
        EXPECT_EQ(ZEVUD_CloneElementTree(input, h), 0);
        EXPECT_EQ(ZEVUD_GetFingerPrint(h, fp), 0);
        EXPECT_EQ(std::memcmp(fp, kZero.bytes, 16), 0);
        EXPECT_EQ(ZEVUD_GetRootElement(h), 0u);
        EXPECT_EQ(ZEVUD_SaveDoc(h), 0);
        EXPECT_EQ(ZEVUD_CloseDoc(h), 0);
        EXPECT_EQ(zevud::GetCompleteFileName(h), "");
    }
    EXPECT_EQ(ZEVUD_GetRootElement(root), 0u) << "an element is no document";
    EXPECT_EQ(ZEVUD_GetElementName(d, nullptr, 0), 0) << "a document is no element";

    ASSERT_EQ(ZEVUD_CloseDoc(d), 1);
    EXPECT_EQ(ZEVUD_CloseDoc(d), 0) << "closing twice";
    for (ZVELEM e : {root, input, newer}) EXPECT_EQ(ZEVUD_GetElementName(e, nullptr, 0), 0);
}

TEST(Handles, ReusedSlotsNeverRepeatAHandle) {
    ZVDOC d = ZEVUD_CreateDoc("");
    ZVELEM root = ZEVUD_GetRootElement(d);
    std::set<ZVELEM> seen;
    for (int i = 0; i < 2000; ++i) {
        ZVELEM e = ZEVUD_AddChildElement(root, "tmp");
        ASSERT_NE(e, 0u);
        EXPECT_TRUE(seen.insert(e).second) << "handle " << e << " came back at round " << i;
        ASSERT_EQ(ZEVUD_DeleteElement(e), 1);
    }
    for (ZVELEM old : seen) EXPECT_EQ(ZEVUD_SetInt(old, "x", 1), 0);
    ZEVUD_CloseDoc(d);
}

TEST(Handles, HandlesArePlainNumbersSharedByEveryCaller) {
    // A handle is a 32-bit number: it may be written into a command document
    // and read back by another library of the process.
    ZVDOC d = MakeSample("");
    ZVDOC cmd = ZEVUD_CreateDoc("dummy");
    ZVELEM p = ZEVUD_AddChildElement(ZEVUD_GetRootElement(cmd), "param");
    ZEVUD_SetInt64(p, "value", static_cast<int64_t>(d));
    ZVDOC back = static_cast<ZVDOC>(ZEVUD_GetInt64(p, "value"));
    EXPECT_EQ(ZEVUD_GetDouble(Input(back), "L"), 6.5);
    ZEVUD_CloseDoc(cmd);
    ZEVUD_CloseDoc(d);
}

TEST(Tree, DeleteRemovesTheSubtreeButNeverTheRoot) {
    ZVDOC d = MakeSample("");
    ZVELEM root = ZEVUD_GetRootElement(d);
    ZVELEM input = Input(d);
    ZVELEM load0 = ZEVUD_FindFirstChild(input, "load_0");
    EXPECT_EQ(ZEVUD_DeleteElement(root), 0);
    ASSERT_EQ(ZEVUD_DeleteElement(input), 1);
    EXPECT_EQ(Input(d), 0u);
    EXPECT_EQ(ZEVUD_GetInt(load0, "q"), 0) << "children go with it";
    EXPECT_EQ(ZEVUD_GetFirstChild(root), 0u);
    // Delete every child of a name, as the writers do before rewriting.
    ZVELEM f = ZEVUD_AddChildElement(root, "L");
    for (int i = 0; i < 3; ++i) ZEVUD_AddChildElement(root, "L");
    ZEVUD_AddChildElement(f, "deep");
    while (ZVELEM c = ZEVUD_FindFirstChild(root, "L")) ASSERT_EQ(ZEVUD_DeleteElement(c), 1);
    EXPECT_EQ(ZEVUD_GetFirstChild(root), 0u);
    ZEVUD_CloseDoc(d);
}

TEST(Tree, FindChildWithAttributeMatchesExactText) {
    ZVDOC d = ZEVUD_CreateDoc("dummy");
    ZVELEM root = ZEVUD_GetRootElement(d);
    const char* nums[] = {"0", "1", "1", "01", "10"};
    for (const char* n : nums) {
        ZVELEM p = ZEVUD_AddChildElement(root, "param");
        ZEVUD_SetString(p, "num", n);
    }
    ZVELEM other = ZEVUD_AddChildElement(root, "other");
    ZEVUD_SetInt(other, "num", 1);
    int count = 0;
    for (ZVELEM c = ZEVUD_FindFirstChildWithAttr(root, "num", "1"); c; c = ZEVUD_FindNextChildWithAttr(c, "num", "1"))
        ++count;
    EXPECT_EQ(count, 3) << "two params and the other element, not 01 or 10";
    EXPECT_EQ(ZEVUD_FindFirstChildWithAttr(root, "num", "2"), 0u);
    EXPECT_EQ(ZEVUD_FindFirstChildWithAttr(root, "Num", "1"), 0u) << "names are case-sensitive";
    ZEVUD_CloseDoc(d);
}

TEST(Tree, CloneReplacesContentAcrossDocumentsAndWithinOne) {
    ZVDOC a = MakeSample("");
    ZVDOC b = ZEVUD_CreateDoc("");
    ZVELEM broot = ZEVUD_GetRootElement(b);
    ZVELEM dest = ZEVUD_AddChildElement(broot, "Eigenschaft");
    ZEVUD_SetInt(dest, "old", 1);
    ZEVUD_AddChildElement(dest, "oldChild");
    ASSERT_EQ(ZEVUD_CloneElementTree(dest, Input(a)), 1);
    EXPECT_EQ(zevud::GetElementName(dest), "Eigenschaft") << "the element keeps its name";
    EXPECT_EQ(ZEVUD_HasAttr(dest, "old"), 0);
    EXPECT_EQ(ZEVUD_FindFirstChild(dest, "oldChild"), 0u);
    EXPECT_EQ(ZEVUD_GetDouble(dest, "L"), 6.5);
    ZVELEM l2 = ZEVUD_FindFirstChild(dest, "load_2");
    EXPECT_EQ(ZEVUD_GetDouble(l2, "q"), 12.0);
    EXPECT_EQ(ZEVUD_GetDocument(l2), b);
    // The copy is independent of its source.
    ZEVUD_SetDouble(Input(a), "L", 7.0);
    EXPECT_EQ(ZEVUD_GetDouble(dest, "L"), 6.5);
    ZEVUD_CloseDoc(a);
    EXPECT_EQ(ZEVUD_GetDouble(l2, "q"), 12.0);

    // Into its own child, and from its own child.
    ZVELEM inner = ZEVUD_FindFirstChild(dest, "load_0");
    ASSERT_EQ(ZEVUD_CloneElementTree(inner, dest), 1);
    EXPECT_EQ(ZEVUD_GetDouble(ZEVUD_FindFirstChild(inner, "load_2"), "q"), 12.0);
    EXPECT_EQ(ZEVUD_FindFirstChild(ZEVUD_FindFirstChild(inner, "load_0"), "load_0"), 0u);
    ASSERT_EQ(ZEVUD_CloneElementTree(dest, inner), 1);
    ZVELEM load0 = ZEVUD_FindFirstChild(dest, "load_0");
    EXPECT_EQ(ZEVUD_GetDouble(load0, "q"), 10.0);
    EXPECT_EQ(ZEVUD_GetFirstChild(load0), 0u);
    EXPECT_EQ(ZEVUD_GetDouble(ZEVUD_FindFirstChild(dest, "load_2"), "q"), 12.0);
    EXPECT_EQ(ZEVUD_GetElementName(inner, nullptr, 0), 0) << "the source inside dest was replaced";
    EXPECT_EQ(ZEVUD_CloneElementTree(dest, dest), 1);
    ZEVUD_CloseDoc(b);
}

TEST(Fingerprints, EqualAfterSaveAndOpenAndIndependentOfTheFileName) {
    ScratchDir dir;
    ZVDOC d = MakeSample(dir.file("one.vkx"));
    zevud::Fingerprint before = zevud::FingerPrint(Input(d));
    EXPECT_NE(before, kZero);
    ASSERT_EQ(ZEVUD_SaveDoc(d), 1);
    ZEVUD_CloseDoc(d);
    std::filesystem::rename(dir.file("one.vkx"), dir.file("two.vkx"));
    ZVDOC o = ZEVUD_OpenDoc(dir.file("two.vkx").c_str());
    EXPECT_EQ(zevud::FingerPrint(Input(o)), before);
    ZVDOC fresh = MakeSample(dir.file("three.vkx"));
    EXPECT_EQ(zevud::FingerPrint(Input(fresh)), before) << "same content built again";
    EXPECT_EQ(zevud::FingerPrint(ZEVUD_GetRootElement(o)), zevud::FingerPrint(ZEVUD_GetRootElement(fresh)));
    ZEVUD_CloseDoc(o);
    ZEVUD_CloseDoc(fresh);
}

TEST(Fingerprints, AnyChangeChangesTheFingerprint) {
    const std::vector<std::pair<const char*, std::function<void(ZVELEM)>>> changes = {
        {"double value", [](ZVELEM in) { ZEVUD_SetDouble(in, "L", 6.5000000001); }},
        {"text value", [](ZVELEM in) { ZEVUD_SetString(ZEVUD_FindFirstChild(in, "load_1"), "LCGen", "1,3"); }},
        {"binary byte", [](ZVELEM in) {
             const unsigned char bytes[4] = {9, 8, 7, 5};
             ZEVUD_SetBinData(in, "dataFile", 4, bytes, 1);
         }},
        {"new attribute", [](ZVELEM in) { ZEVUD_SetString(in, "extra", ""); }},
        {"deleted attribute", [](ZVELEM in) { ZEVUD_DeleteAttr(in, "nPage"); }},
        {"attribute order", [](ZVELEM in) {
             ZEVUD_DeleteAttr(in, "L");
             ZEVUD_SetDouble(in, "L", 6.5);
         }},
        {"attribute renamed", [](ZVELEM in) {
             ZEVUD_DeleteAttr(in, "nPage");
             ZEVUD_DeleteAttr(in, "dataFile");
             ZEVUD_SetInt(in, "npage", 1);
             const unsigned char bytes[4] = {9, 8, 7, 6};
             ZEVUD_SetBinData(in, "dataFile", 4, bytes, 1);
         }},
        {"new empty child", [](ZVELEM in) { ZEVUD_AddChildElement(ZEVUD_FindFirstChild(in, "load_2"), "x"); }},
        {"deleted child", [](ZVELEM in) { ZEVUD_DeleteElement(ZEVUD_FindFirstChild(in, "load_2")); }},
        {"child order", [](ZVELEM in) {
             ZVELEM l0 = ZEVUD_FindFirstChild(in, "load_0");
             ZVELEM moved = ZEVUD_AddChildElement(in, "load_0");
             ZEVUD_CloneElementTree(moved, l0);
             ZEVUD_DeleteElement(l0);
         }},
        {"value moved between attributes", [](ZVELEM in) {
             ZVELEM l = ZEVUD_FindFirstChild(in, "load_0");
             ZEVUD_SetString(l, "LCGen", "1,3,510");
             ZEVUD_SetString(l, "q", "");
         }},
    };
    ZVDOC ref = MakeSample("");
    zevud::Fingerprint base = zevud::FingerPrint(Input(ref));
    for (const auto& [what, change] : changes) {
        ZVDOC d = MakeSample("");
        ASSERT_EQ(zevud::FingerPrint(Input(d)), base);
        change(Input(d));
        EXPECT_NE(zevud::FingerPrint(Input(d)), base) << what;
        ZEVUD_CloseDoc(d);
    }
    ZEVUD_CloseDoc(ref);
}

TEST(Fingerprints, SameInAnotherProcess) {
    ZVDOC d = MakeSample("");
    zevud::Fingerprint here = zevud::FingerPrint(ZEVUD_GetRootElement(d));
    ZEVUD_CloseDoc(d);
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ZVDOC c = MakeSample("");
        zevud::Fingerprint there = zevud::FingerPrint(ZEVUD_GetRootElement(c));
        ssize_t w = write(fds[1], there.bytes, 16);
        _exit(w == 16 ? 0 : 1);
    }
    close(fds[1]);
    zevud::Fingerprint there;
    EXPECT_EQ(read(fds[0], there.bytes, 16), 16);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(there, here);
}

TEST(Fingerprints, OfAFileIsOfItsBytesAndZeroWhenUnreadable) {
    ScratchDir dir;
    WriteFile(dir.file("a.rtf"), "{\\rtf1 Hallo}");
    WriteFile(dir.file("b.rtf"), "{\\rtf1 Hallo}");
    WriteFile(dir.file("c.rtf"), "{\\rtf1 Hallo!}");
    zevud::Fingerprint a = zevud::FingerPrintOfFile(dir.file("a.rtf"));
    EXPECT_NE(a, kZero);
    EXPECT_EQ(zevud::FingerPrintOfFile(dir.file("b.rtf")), a);
    EXPECT_NE(zevud::FingerPrintOfFile(dir.file("c.rtf")), a);
    // XXH3-128 of the bytes, high half first.
    const char text[] = "{\\rtf1 Hallo}";
    XXH128_hash_t h = XXH3_128bits(text, std::strlen(text));
    unsigned char expected[16];
    for (int i = 0; i < 8; ++i) {
        expected[i] = static_cast<unsigned char>(h.high64 >> (56 - 8 * i));
        expected[8 + i] = static_cast<unsigned char>(h.low64 >> (56 - 8 * i));
    }
    EXPECT_EQ(std::memcmp(a.bytes, expected, 16), 0);
    unsigned char out[16];
    std::memset(out, 0x55, 16);
    EXPECT_EQ(ZEVUD_GetFingerPrintOfFile(dir.file("nichtda.rtf").c_str(), out), 0);
    EXPECT_EQ(std::memcmp(out, kZero.bytes, 16), 0);
    EXPECT_EQ(zevud::FingerPrintOfFile(dir.path().string()), kZero) << "a folder";
    EXPECT_EQ(ZEVUD_GetFingerPrintOfFile(nullptr, out), 0);
}

// Threads each on their own documents (as the crane positions' kernel runs).
TEST(Tree, ConcurrentUseKeepsEveryDocumentWhole) {
    std::vector<std::thread> threads;
    std::vector<int> sums(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &sums] {
            for (int round = 0; round < 20; ++round) {
                ZVDOC d = ZEVUD_CreateDoc("");
                ZVELEM root = ZEVUD_GetRootElement(d);
                for (int i = 0; i < 50; ++i) ZEVUD_SetInt(ZEVUD_AddChildElement(root, "n"), "v", i);
                int sum = 0;
                for (ZVELEM c = ZEVUD_FindFirstChild(root, "n"); c; c = ZEVUD_FindNextChild(c, "n"))
                    sum += ZEVUD_GetInt(c, "v");
                sums[t] += sum;
                ZEVUD_CloseDoc(d);
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int s : sums) EXPECT_EQ(s, 20 * (49 * 50 / 2));
}
