// The operation list's index by line, held against a plain walk of the list,
// and the look-up of a folder's own operations at the head of the list.
#include <gtest/gtest.h>

#include <random>

#include "worklists.h"

using namespace checker;

static oplist& add(opchain& ops, opcodeset code, std::u16string path, std::int32_t line = 0) {
    return addop(ops, code, true, std::move(path), u"", u"", u"", u"", u"", line, false, u"", u"",
                 u"");
}

TEST(OpIndex, LineLookupsAgreeWithAWalkOfTheListThroughAddsAndRemovals) {
    opchain ops;
    std::mt19937 rng(16);
    for (int step = 0; step < 1500; ++step) {
        if (step == 1000) freeops(ops);
        rng() % 3 == 0 ? delop(ops) : void(add(ops, write_tag, u"", std::int32_t(rng() % 30) - 1));
        for (std::int32_t line = -1; line < 29; ++line) {
            std::vector<oplist*> walked;
            for (oplist& op : ops)
                if (op.listindex == line) walked.push_back(&op);
            ASSERT_EQ(lineops(ops, line), walked) << step;
            ASSERT_EQ(findop(ops, line), walked.empty() ? nullptr : walked.front()) << step;
        }
    }
}

TEST(OpIndex, AFoldersLookUpStopsAtTheFirstOperationOfAnotherFolder) {
    opchain ops;
    // The first is beyond the stop: a subfolder's operations come between.
    const opcodeset codes[] = {write_tag,  write_tag,   rename_file,    write_tag,
                               rename_dir, rename_file, backup_playlist};
    const char16_t* paths[] = {u"/m/A", u"/m/A/B",      u"/m/A/B/01.mp3", u"/m/A",
                               u"/m/A", u"/m/A/01.mp3", u"/m/A/x.m3u"};
    for (int i = 0; i < 7; ++i) add(ops, codes[i], paths[i]);
    EXPECT_EQ(std::ranges::distance(folderops(ops, u"/m/A")), 4);
    add(ops, rename_file, u"//01.mp3"); // a file of the root folder "/"
    EXPECT_EQ(std::ranges::distance(folderops(ops, u"/")), 1);
    EXPECT_EQ(std::ranges::distance(folderops(ops, u"/m")), 0);
}
