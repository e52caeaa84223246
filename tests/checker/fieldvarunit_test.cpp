#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "fieldvarunit.h"

using namespace checker;

namespace {

using entries = std::vector<std::pair<std::u16string, int>>;

entries list(const fieldvarsptr& t) {
    entries r;
    for (const fieldvars& v : t) r.emplace_back(v.field, v.count);
    return r;
}

fieldvarsptr tally(std::initializer_list<const char16_t*> values) {
    fieldvarsptr t;
    for (auto v : values) countfield(v, t);
    return t;
}

} // namespace

TEST(Tallies, TiesGoToTheValueFirstSeenLatest) {
    // A, B, B, A: both twice; B was first seen later, so it stands nearer the head.
    fieldvarsptr t = tally({u"A", u"B", u"B", u"A"});
    EXPECT_EQ(list(t), (entries{{u"B", 2}, {u"A", 2}}));
    EXPECT_EQ(topfield(t), u"B");

    // A, A, B: the higher count wins over the head.
    t = tally({u"A", u"A", u"B"});
    EXPECT_EQ(list(t), (entries{{u"B", 1}, {u"A", 2}}));
    EXPECT_EQ(topfield(t), u"A");

    // A later node needs a strictly greater count to win.
    t = tally({u"C", u"C", u"A", u"B", u"B", u"A"});
    EXPECT_EQ(list(t), (entries{{u"B", 2}, {u"A", 2}, {u"C", 2}}));
    EXPECT_EQ(topfield(t), u"B");
    countfield(u"C", t);
    EXPECT_EQ(topfield(t), u"C");

    // addfield does not merge: a repeated value is a second node.
    addfield(t, u"C");
    EXPECT_EQ(list(t).front(), (std::pair<std::u16string, int>{u"C", 1}));
    EXPECT_EQ(topfield(t), u"C");
}

TEST(Tallies, EmptyValuesAreNeverCountedAndValuesCompareExactly) {
    fieldvarsptr t = tally({u"", u"", u""});
    EXPECT_TRUE(t.empty());
    EXPECT_EQ(topfield(t), u"");

    // Case, a trailing blank and a Cyrillic look-alike make distinct values.
    t = tally({u"Abba", u"ABBA", u"Abba ", u"Аbba", u"Abba", u""});
    EXPECT_EQ(list(t), (entries{{u"Аbba", 1}, {u"Abba ", 1}, {u"ABBA", 1}, {u"Abba", 2}}));
    int sum = 0;
    for (const fieldvars& v : t) sum += v.count;
    EXPECT_EQ(sum, 5);

    // countpair counts each side on its own.
    fieldvarsptr artists, albums;
    countpair(u"", u"Album", artists, albums);
    countpair(u"Artist", u"", artists, albums);
    countpair(u"Artist", u"Album", artists, albums);
    EXPECT_EQ(list(artists), (entries{{u"Artist", 2}}));
    EXPECT_EQ(list(albums), (entries{{u"Album", 2}}));
}

TEST(Tallies, PopAndClearEmptyTheTallyForReuse) {
    fieldvarsptr t;
    popfield(t);
    clearfields(t);
    EXPECT_TRUE(t.empty());
    t = tally({u"A", u"B", u"B"});
    popfield(t); // the head: B
    EXPECT_EQ(list(t), (entries{{u"A", 1}}));
    clearfields(t);
    EXPECT_TRUE(t.empty());
    countfield(u"B", t);
    countfield(u"A", t);
    EXPECT_EQ(list(t), (entries{{u"A", 1}, {u"B", 1}}));
}
