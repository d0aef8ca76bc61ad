// Threads each working on their own documents: they do not disturb each
// other, copying between two documents in both directions at once does not
// deadlock, and handles of a document closed meanwhile are refused.
#include "platform/zevud/zevud.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// What one piece of work leaves in its document.
struct Outcome {
    std::string text;
    zevud::Fingerprint print;
    double sum = 0.0;
    int children = 0;
    bool operator==(const Outcome&) const = default;
};

// A template tree that every piece of work copies from (read by all threads
// at once).
ZVDOC MakeTemplate() {
    ZVDOC d = ZEVUD_CreateDoc("");
    ZVELEM root = ZEVUD_GetRootElement(d);
    ZVELEM girder = ZEVUD_AddChildElement(root, "girder");
    ZEVUD_SetString(girder, "profile", "HEB 300");
    for (int i = 0; i < 20; ++i) {
        ZVELEM e = ZEVUD_AddChildElement(girder, "element");
        ZEVUD_SetInt(e, "nr", i);
        ZEVUD_SetDouble(e, "x", 0.25 * i);
    }
    return d;
}

// Builds, changes, copies, deletes, reads, serialises and fingerprints one
// document; the same seed always gives the same outcome.
Outcome Work(int seed, ZVELEM templateGirder) {
    Outcome out;
    ZVDOC d = ZEVUD_CreateDoc("");
    ZVELEM root = ZEVUD_GetRootElement(d);
    ZVELEM input = ZEVUD_AddChildElement(root, "input");
    ZEVUD_SetInt(input, "seed", seed);
    ZVELEM girder = ZEVUD_AddChildElement(input, "girder");
    ZEVUD_CloneElementTree(girder, templateGirder);  // from another document
    ZVELEM positions = ZEVUD_AddChildElement(root, "positions");
    for (int p = 0; p < 30; ++p) {
        ZVELEM pos = ZEVUD_AddChildElement(positions, "position");
        ZEVUD_SetInt(pos, "nr", p);
        ZEVUD_SetDouble(pos, "x", seed * 0.1 + p * 0.37);
        ZEVUD_SetString(pos, "name", ("P" + std::to_string(seed) + "_" + std::to_string(p)).c_str());
        ZVELEM result = ZEVUD_AddChildElement(pos, "result");
        ZEVUD_CloneElementTree(result, girder);  // within the document
        ZEVUD_SetDouble(result, "M", (seed + 1) * (p + 1) * 1.5);
    }
    // Every third position goes again, with its subtree.
    int nr = 0;
    for (ZVELEM pos = ZEVUD_FindFirstChild(positions, "position"); pos;) {
        ZVELEM next = ZEVUD_FindNextChild(pos, "position");
        if (nr++ % 3 == 0) ZEVUD_DeleteElement(pos);
        pos = next;
    }
    for (ZVELEM pos = ZEVUD_GetFirstChild(positions); pos; pos = ZEVUD_GetNextChild(pos)) {
        ++out.children;
        out.sum += ZEVUD_GetDouble(ZEVUD_FindFirstChild(pos, "result"), "M") + ZEVUD_GetDouble(pos, "x");
    }
    out.text = zevud::GetDocText(d);
    out.print = zevud::FingerPrint(root);
    ZEVUD_CloseDoc(d);
    return out;
}

// Runs the threads and gives up on the whole program when they have not
// finished within the time (a deadlock would otherwise hang the test run).
void JoinWithin(std::vector<std::thread>& threads, std::atomic<int>& finished, std::chrono::seconds limit) {
    auto until = std::chrono::steady_clock::now() + limit;
    while (finished.load() < static_cast<int>(threads.size())) {
        if (std::chrono::steady_clock::now() > until) {
            std::fprintf(stderr, "threads still running after %lld s: deadlock\n",
                         static_cast<long long>(limit.count()));
            std::fflush(stderr);
            std::_Exit(1);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (auto& t : threads) t.join();
}

}  // namespace

// Eight threads on their own documents, all copying from one shared
// template, while another thread keeps creating and closing documents: each
// document ends exactly as in a run one after the other.
TEST(Concurrency, ThreadsOnTheirOwnDocumentsGiveTheSerialResults) {
    ZVDOC tmpl = MakeTemplate();
    ZVELEM templateGirder = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(tmpl), "girder");
    constexpr int kWorks = 48;
    constexpr int kThreads = 8;
    std::vector<Outcome> serial(kWorks);
    for (int i = 0; i < kWorks; ++i) serial[i] = Work(i, templateGirder);
    ASSERT_EQ(serial[0].children, 20);
    ASSERT_NE(serial[0].text, serial[1].text);

    std::vector<Outcome> threaded(kWorks);
    std::atomic<bool> stop{false};
    std::atomic<int> churned{0};
    std::thread churn([&] {
        while (!stop.load()) {
            ZVDOC d = ZEVUD_CreateDoc("");
            ZVELEM root = ZEVUD_GetRootElement(d);
            for (int i = 0; i < 10; ++i) ZEVUD_SetInt(ZEVUD_AddChildElement(root, "n"), "v", i);
            ZEVUD_CloseDoc(d);
            churned.fetch_add(1);
        }
    });
    std::atomic<int> finished{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t)
        workers.emplace_back([&, t] {
            for (int i = t; i < kWorks; i += kThreads) threaded[i] = Work(i, templateGirder);
            finished.fetch_add(1);
        });
    JoinWithin(workers, finished, std::chrono::seconds(120));
    stop = true;
    churn.join();
    EXPECT_GT(churned.load(), 0);
    for (int i = 0; i < kWorks; ++i) EXPECT_TRUE(threaded[i] == serial[i]) << "work " << i;
    // The template was only read.
    EXPECT_EQ(ZEVUD_GetAttrCount(templateGirder), 1);
    EXPECT_EQ(zevud::GetString(templateGirder, "profile"), "HEB 300");
    ZEVUD_CloseDoc(tmpl);
}

// Two threads copy between the same two documents in opposite directions
// (each call locks both); they finish, and each copy equals its source.
TEST(Concurrency, CopyingBetweenTwoDocumentsInBothDirectionsDoesNotDeadlock) {
    ZVDOC a = ZEVUD_CreateDoc("");
    ZVDOC b = ZEVUD_CreateDoc("");
    auto make = [](ZVDOC d, const char* tag) {
        ZVELEM root = ZEVUD_GetRootElement(d);
        ZVELEM src = ZEVUD_AddChildElement(root, "src");
        ZEVUD_SetString(src, "tag", tag);
        for (int i = 0; i < 5; ++i) ZEVUD_SetInt(ZEVUD_AddChildElement(src, "item"), "i", i);
        return std::pair{src, ZEVUD_AddChildElement(root, "dst")};
    };
    auto [aSrc, aDst] = make(a, "A");
    auto [bSrc, bDst] = make(b, "B");
    constexpr int kRounds = 3000;
    std::atomic<int> finished{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    threads.emplace_back([&, aDst = aDst, bSrc = bSrc] {
        for (int i = 0; i < kRounds; ++i)
            if (ZEVUD_CloneElementTree(aDst, bSrc) != 1) failures.fetch_add(1);
        finished.fetch_add(1);
    });
    threads.emplace_back([&, bDst = bDst, aSrc = aSrc] {
        for (int i = 0; i < kRounds; ++i)
            if (ZEVUD_CloneElementTree(bDst, aSrc) != 1) failures.fetch_add(1);
        finished.fetch_add(1);
    });
    JoinWithin(threads, finished, std::chrono::seconds(120));
    EXPECT_EQ(failures.load(), 0);
    // A copy has the source's content under the destination's own name.
    EXPECT_EQ(zevud::GetString(aDst, "tag"), "B");
    EXPECT_EQ(zevud::GetString(bDst, "tag"), "A");
    int items = 0;
    for (ZVELEM c = ZEVUD_FindFirstChild(aDst, "item"); c; c = ZEVUD_FindNextChild(c, "item"))
        EXPECT_EQ(ZEVUD_GetInt(c, "i"), items++);
    EXPECT_EQ(items, 5);
    ZEVUD_CloseDoc(a);
    ZEVUD_CloseDoc(b);
}

// While other threads create, use and close documents (whose objects are
// used again), the handles of a closed document stay refused, and writing
// through them changes no other document.
TEST(Concurrency, HandlesOfAClosedDocumentAreRefusedWhileOthersWork) {
    std::atomic<bool> stop{false};
    std::vector<std::thread> others;
    std::atomic<int> rounds{0};
    for (int t = 0; t < 4; ++t)
        others.emplace_back([&, t] {
            while (!stop.load()) {
                ZVDOC d = ZEVUD_CreateDoc("");
                ZVELEM root = ZEVUD_GetRootElement(d);
                for (int i = 0; i < 20; ++i) ZEVUD_SetInt(ZEVUD_AddChildElement(root, "n"), "v", i + t);
                int sum = 0;
                for (ZVELEM c = ZEVUD_FindFirstChild(root, "n"); c; c = ZEVUD_FindNextChild(c, "n"))
                    sum += ZEVUD_GetInt(c, "v");
                if (sum != 190 + 20 * t) ADD_FAILURE() << "a document of thread " << t << " was changed";
                ZEVUD_CloseDoc(d);
                rounds.fetch_add(1);
            }
        });
    // At least 300 rounds, and on until the others have done 100 of theirs.
    for (int round = 0; round < 300 || (rounds.load() < 100 && round < 1000000); ++round) {
        ZVDOC d = ZEVUD_CreateDoc("");
        ZVELEM root = ZEVUD_GetRootElement(d);
        ZVELEM child = ZEVUD_AddChildElement(root, "child");
        ZEVUD_SetInt(child, "v", 7);
        ASSERT_EQ(ZEVUD_CloseDoc(d), 1);
        // Another document may now live in the same document object.
        ZVDOC e = ZEVUD_CreateDoc("");
        ZVELEM eRoot = ZEVUD_GetRootElement(e);
        for (uint32_t h : {root, child}) {
            EXPECT_EQ(ZEVUD_GetInt(h, "v"), 0);
            EXPECT_EQ(ZEVUD_SetInt(h, "v", 1), 0);
            EXPECT_EQ(ZEVUD_AddChildElement(h, "x"), 0u);
            EXPECT_EQ(ZEVUD_DeleteElement(h), 0);
            EXPECT_EQ(ZEVUD_GetDocument(h), 0u);
            EXPECT_EQ(ZEVUD_CloneElementTree(eRoot, h), 0);
            EXPECT_EQ(ZEVUD_CloneElementTree(h, eRoot), 0);
        }
        EXPECT_EQ(ZEVUD_GetRootElement(d), 0u);
        EXPECT_EQ(ZEVUD_CloseDoc(d), 0);
        EXPECT_EQ(ZEVUD_GetFirstChild(eRoot), 0u) << "nothing arrived in the new document";
        EXPECT_EQ(ZEVUD_GetAttrCount(eRoot), 0);
        EXPECT_EQ(ZEVUD_GetDocument(eRoot), e);
        ZEVUD_CloseDoc(e);
    }
    stop = true;
    for (auto& t : others) t.join();
    EXPECT_GT(rounds.load(), 0);
}

// A caller error: one thread closes documents while another still uses
// their elements. The user's calls are refused or act on the document
// before it closes; nothing crashes and a third thread's document is not
// touched.
TEST(Concurrency, ClosingADocumentInUseElsewhereHarmsNoOtherDocument) {
    ZVDOC tmpl = MakeTemplate();
    ZVELEM templateGirder = ZEVUD_FindFirstChild(ZEVUD_GetRootElement(tmpl), "girder");
    const Outcome expected = Work(5, templateGirder);
    std::atomic<bool> stop{false};
    std::atomic<uint32_t> shared{0};
    std::thread closer([&] {
        while (!stop.load()) {
            ZVDOC d = ZEVUD_CreateDoc("");
            ZVELEM root = ZEVUD_GetRootElement(d);
            ZVELEM n = ZEVUD_AddChildElement(root, "n");
            shared.store(n);
            std::this_thread::yield();
            ZEVUD_CloseDoc(d);
        }
    });
    std::thread user([&] {
        while (!stop.load()) {
            ZVELEM n = shared.load();
            ZEVUD_SetInt(n, "v", 3);
            ZEVUD_GetInt(n, "v");
            ZVELEM c = ZEVUD_AddChildElement(n, "c");
            ZEVUD_CloneElementTree(c, n);
            ZEVUD_DeleteElement(c);
            ZEVUD_GetDocument(n);
            ZEVUD_CloseDoc(ZEVUD_GetDocument(n));  // closes under the closer's feet
        }
    });
    for (int i = 0; i < 30; ++i) EXPECT_TRUE(Work(5, templateGirder) == expected) << "round " << i;
    stop = true;
    closer.join();
    user.join();
    ZEVUD_CloseDoc(tmpl);
}
