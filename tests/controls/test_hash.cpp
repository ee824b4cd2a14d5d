#include "base/AnsiStrings.h"
#include "controls/uHash.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <random>

namespace {

std::vector<std::string> Keys(const THash& h) {
    std::vector<std::string> keys;
    for (int i = 0; i < h.GetCount(); ++i) keys.push_back(h.KeyAt(i));
    return keys;
}

bool SortedUnder(const THash& h, int (*compare)(const std::string&, const std::string&)) {
    for (int i = 1; i < h.GetCount(); ++i)
        if (compare(h.KeyAt(i - 1), h.KeyAt(i)) > 0) return false;
    return true;
}

}  // namespace

TEST(Hash, KeepsKeysSortedAndFindsEveryOne) {
    std::vector<std::string> names = {"Left", "icon", "GetFlashPlayer", "banner", "Zeta", "alpha", "Mid",
                                      "delta", "Omega", "kappa", "Beta", "x"};
    std::mt19937 gen(7);
    for (int round = 0; round < 20; ++round) {
        std::shuffle(names.begin(), names.end(), gen);
        THash h;
        for (size_t i = 0; i < names.size(); ++i) h.SetItem(names[i], static_cast<THashValue>(i + 100));
        ASSERT_EQ(h.GetCount(), static_cast<int>(names.size()));
        ASSERT_TRUE(SortedUnder(h, AnsiCompareText));
        for (size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(h.GetItem(names[i]), static_cast<THashValue>(i + 100)) << names[i];
            EXPECT_EQ(h.KeyAt(h.Find(names[i], false)), names[i]);
        }
        EXPECT_EQ(h.GetItem("missing"), 0);
        EXPECT_EQ(h.Find("missing", false), -1);
        EXPECT_EQ(h.Find("", false), -1);
        EXPECT_EQ(h.Find("zzz", false), -1);
    }
}

// Every insert position of every table size up to 7 keeps the order, below, between and above.
TEST(Hash, InsertModeFindsTheSortedPlaceForEverySize) {
    const std::vector<std::string> present = {"b", "d", "f", "h", "j", "l", "n"};
    const std::vector<std::string> probes = {"a", "c", "e", "g", "i", "k", "m", "o"};
    for (size_t n = 0; n <= present.size(); ++n) {
        THash h;
        for (size_t i = 0; i < n; ++i) h.SetItem(present[i], 1);
        for (size_t p = 0; p <= n; ++p) {
            int expected = n == 0 ? -1 : static_cast<int>(p);
            EXPECT_EQ(h.Find(probes[p], true), expected) << "size " << n << " probe " << probes[p];
            EXPECT_EQ(h.Find(probes[p], false), -1);
        }
        for (size_t i = 0; i < n; ++i) {
            EXPECT_EQ(h.Find(present[i], true), static_cast<int>(i));
            EXPECT_EQ(h.Find(present[i], false), static_cast<int>(i));
        }
    }
}

TEST(Hash, IgnoresCaseOnLookupButInsertsADifferentlyCasedKeyBesideTheOld) {
    THash h;
    h.SetItem("icon", 10);
    h.SetItem("Left", 20);
    EXPECT_EQ(h.GetItem("Icon"), 10);
    EXPECT_EQ(h.GetItem("LEFT"), 20);
    h.SetItem("icon", 11);  // byte-equal: value replaced
    EXPECT_EQ(h.GetCount(), 2);
    EXPECT_EQ(h.GetItem("icon"), 11);
    h.SetItem("ICON", 12);  // equal only when case is ignored: a second entry next to the first
    ASSERT_EQ(h.GetCount(), 3);
    EXPECT_EQ(AnsiCompareText(h.KeyAt(0), "icon"), 0);
    EXPECT_EQ(AnsiCompareText(h.KeyAt(1), "icon"), 0);
    EXPECT_EQ(h.KeyAt(2), "Left");
}

TEST(Hash, CaseSensitiveTableResortsAndExistsStillIgnoresCase) {
    THash h;
    const std::vector<std::string> keys = {"b", "B", "a", "A", "c"};
    for (size_t i = 0; i < keys.size(); ++i) h.SetItem(keys[i], static_cast<THashValue>(i + 1));
    h.SetCaseInsensitive(false);
    EXPECT_FALSE(h.CaseInsensitive());
    EXPECT_TRUE(SortedUnder(h, AnsiCompareStr));
    for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(h.GetItem(keys[i]), static_cast<THashValue>(i + 1)) << keys[i];
    h.SetItem("icon", 50);
    EXPECT_EQ(h.GetItem("ICON"), 0);
    EXPECT_TRUE(h.Exists("ICON"));
    EXPECT_FALSE(h.Exists("nothing"));
    // The key exists only in another case: renaming must not invent an entry with no value.
    h.Rename("ICON", "other");
    EXPECT_EQ(h.Find("other", false), -1);
    EXPECT_EQ(h.GetItem("icon"), 50);
    h.SetCaseInsensitive(true);
    EXPECT_TRUE(SortedUnder(h, AnsiCompareText));
    EXPECT_EQ(h.GetItem("ICON"), 50);
}

TEST(Hash, RenameMovesTheValueAndACaseOnlyRenameKeepsThePlace) {
    THash h;
    h.SetItem("alpha", 1);
    h.SetItem("icon", 2);
    h.SetItem("zulu", 3);
    h.Rename("icon", "Icon");
    EXPECT_EQ(Keys(h), (std::vector<std::string>{"alpha", "Icon", "zulu"}));
    EXPECT_EQ(h.GetItem("icon"), 2);
    h.Rename("ICON", "zz");
    EXPECT_EQ(Keys(h), (std::vector<std::string>{"alpha", "zulu", "zz"}));
    EXPECT_EQ(h.GetItem("zz"), 2);
    h.Rename("missing", "new");
    EXPECT_EQ(h.GetCount(), 3);
    h.Remove("ALPHA");
    h.Remove("missing");
    EXPECT_EQ(Keys(h), (std::vector<std::string>{"zulu", "zz"}));
}

TEST(Hash, IndexAccessOutsideTheTableIsHarmlessAndAssignToCopiesInOrder) {
    THash h;
    EXPECT_EQ(h.GetItemByIndex(0), 0);
    h.SetItemByIndex(0, 5);
    EXPECT_EQ(h.GetCount(), 0);
    h.SetItem("b", 2);
    h.SetItem("a", 1);
    h.SetItemByIndex(1, 20);
    h.SetItemByIndex(-1, 99);
    h.SetItemByIndex(2, 99);
    EXPECT_EQ(h.GetItemByIndex(-1), 0);
    EXPECT_EQ(h.GetItemByIndex(2), 0);
    THashEntries list = {{"stale", 7}};
    h.AssignTo(&list);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Key, "a");
    EXPECT_EQ(list[0].Value, 1);
    EXPECT_EQ(list[1].Key, "b");
    EXPECT_EQ(list[1].Value, 20);
    h.AssignTo(nullptr);
    h.Clear();
    EXPECT_EQ(h.GetCount(), 0);
    EXPECT_EQ(h.GetItem("a"), 0);
}
