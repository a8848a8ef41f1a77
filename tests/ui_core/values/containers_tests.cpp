// The growable arrays, the string map with its hash and buckets, the geometry values, the
// resource name and the process-wide tables.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "ui_core/manager/ui_globals.h"
#include "ui_core/values/ui_arrays.h"
#include "ui_core/values/ui_geometry.h"
#include "ui_core/values/ui_string_map.h"
#include "ui_core/values/ui_string_or_id.h"

using namespace SkinUI;

namespace {

void* P(intptr_t v) { return reinterpret_cast<void*>(v); }

std::vector<intptr_t> Contents(const CPtrArrayUI& a) {
  std::vector<intptr_t> out;
  for (int i = 0; i < a.GetSize(); ++i) out.push_back(reinterpret_cast<intptr_t>(a[i]));
  return out;
}

std::vector<std::wstring> KeysInGetAtOrder(const CStringMapUI& map) {
  std::vector<std::wstring> keys;
  for (int i = 0; i < map.GetSize(); ++i) keys.push_back(map.GetAt(i));
  return keys;
}

}  // namespace

// ---- CPtrArrayUI ----

TEST(PtrArrayUI, GrowsTo11ThenDoublesWhenTheCountReachesTheCapacity) {
  const struct {
    int adds;
    int capacity;
  } cases[] = {{0, 0}, {1, 11}, {10, 11}, {11, 22}, {21, 22}, {22, 44}, {44, 88}};
  for (const auto& c : cases) {
    CPtrArrayUI a;
    for (int i = 0; i < c.adds; ++i) ASSERT_TRUE(a.Add(P(i + 1)));
    EXPECT_EQ(c.capacity, a.GetCapacity()) << c.adds << " adds";
    EXPECT_EQ(c.adds, a.GetSize());
  }
  CPtrArrayUI pre(6);
  EXPECT_EQ(6, pre.GetCapacity());
  for (int i = 0; i < 5; ++i) pre.Add(P(i));
  EXPECT_EQ(6, pre.GetCapacity());
  pre.Add(P(5));
  EXPECT_EQ(12, pre.GetCapacity());
  EXPECT_EQ(0, CPtrArrayUI(-4).GetCapacity());
}

TEST(PtrArrayUI, InsertAtAcceptsZeroToCount) {
  CPtrArrayUI a;
  a.Add(P(1));
  a.Add(P(3));
  EXPECT_TRUE(a.InsertAt(1, P(2)));
  EXPECT_TRUE(a.InsertAt(3, P(4)));  // at count: appends
  EXPECT_TRUE(a.InsertAt(0, P(0)));
  EXPECT_FALSE(a.InsertAt(6, P(9)));  // count + 1
  EXPECT_FALSE(a.InsertAt(-1, P(9)));
  EXPECT_EQ((std::vector<intptr_t>{0, 1, 2, 3, 4}), Contents(a));

  CPtrArrayUI grown;
  for (int i = 0; i < 10; ++i) grown.Add(P(i));
  EXPECT_TRUE(grown.InsertAt(0, P(-1)));  // the 11th entry arrives through InsertAt
  EXPECT_EQ(22, grown.GetCapacity());
  EXPECT_EQ(-1, reinterpret_cast<intptr_t>(grown[0]));
  EXPECT_EQ(9, reinterpret_cast<intptr_t>(grown[10]));
}

TEST(PtrArrayUI, RemoveRefusesRangesOutsideTheArray) {
  const struct {
    int index;
    int count;
    bool ok;
    std::vector<intptr_t> after;
  } cases[] = {
      {0, 0, false, {1, 2, 3, 4}},  {2, 3, false, {1, 2, 3, 4}}, {-1, 1, false, {1, 2, 3, 4}},
      {4, 1, false, {1, 2, 3, 4}},  {0, -2, false, {1, 2, 3, 4}}, {1, 2, true, {1, 4}},
      {3, 1, true, {1, 2, 3}},      {0, 4, true, {}},
  };
  for (const auto& c : cases) {
    CPtrArrayUI a;
    for (int i = 1; i <= 4; ++i) a.Add(P(i));
    EXPECT_EQ(c.ok, a.Remove(c.index, c.count)) << c.index << "," << c.count;
    EXPECT_EQ(c.after, Contents(a)) << c.index << "," << c.count;
    EXPECT_EQ(11, a.GetCapacity());  // the storage never shrinks
  }
}

TEST(PtrArrayUI, LookupsCopiesResizeAndEmpty) {
  CPtrArrayUI a;
  a.Add(P(7));
  a.Add(P(8));
  a.Add(P(7));
  EXPECT_EQ(0, a.Find(P(7)));
  EXPECT_EQ(1, a.Find(P(8)));
  EXPECT_EQ(-1, a.Find(P(9)));
  EXPECT_EQ(P(8), a.GetAt(1));
  EXPECT_EQ(nullptr, a.GetAt(3));
  EXPECT_EQ(nullptr, a.GetAt(-1));

  CPtrArrayUI copy(a);
  EXPECT_EQ(Contents(a), Contents(copy));
  CPtrArrayUI assigned;
  assigned.Add(P(99));
  assigned = a;
  EXPECT_EQ(Contents(a), Contents(assigned));

  a.Resize(5);
  EXPECT_EQ(5, a.GetSize());
  EXPECT_EQ(5, a.GetCapacity());
  for (int i = 0; i < 5; ++i) EXPECT_EQ(nullptr, a[i]);
  a.Add(P(1));
  EXPECT_EQ(10, a.GetCapacity());
  a.Resize(-1);
  EXPECT_TRUE(a.IsEmpty());
  EXPECT_EQ(0, a.GetCapacity());

  copy.Empty();
  EXPECT_TRUE(copy.IsEmpty());
  EXPECT_EQ(0, copy.GetCapacity());
  EXPECT_TRUE(copy.Add(P(3)));
  EXPECT_EQ(11, copy.GetCapacity());
}

// ---- CValArrayUI ----

TEST(ValArrayUI, CopiesRecordsInAndOutAndGrowsLikeThePointerArray) {
  struct Pair {
    int a;
    short b;
    short c;
  };
  CValArrayUI v(sizeof(Pair), 0);
  for (int i = 0; i < 11; ++i) {
    Pair p{i, static_cast<short>(i * 2), static_cast<short>(-i)};
    ASSERT_TRUE(v.Add(&p));
    p.a = 1000;  // the array holds its own copy
  }
  EXPECT_EQ(11, v.GetSize());
  EXPECT_EQ(22, v.GetCapacity());
  for (int i = 0; i < 11; ++i) {
    const auto* p = static_cast<const Pair*>(v.GetAt(i));
    EXPECT_EQ(i, p->a);
    EXPECT_EQ(i * 2, p->b);
  }
  EXPECT_FALSE(v.Remove(9, 3));
  EXPECT_FALSE(v.Remove(0, 0));
  EXPECT_TRUE(v.Remove(2, 3));
  EXPECT_EQ(8, v.GetSize());
  EXPECT_EQ(5, static_cast<const Pair*>(v.GetAt(2))->a);
  EXPECT_EQ(10, static_cast<const Pair*>(v.GetAt(7))->a);

  CValArrayUI pre(4, 10);
  EXPECT_EQ(10, pre.GetCapacity());
  const int value = 42;
  for (int i = 0; i < 10; ++i) pre.Add(&value);
  EXPECT_EQ(20, pre.GetCapacity());
  EXPECT_EQ(42, *static_cast<const int*>(pre.GetAt(9)));
}

// ---- CStringMapUI ----

TEST(StringMapUI, HashRunsFromTheLastCharacterToTheFirst) {
  const struct {
    const wchar_t* key;
    unsigned hash;
  } cases[] = {
      {L"", 0u},
      {L"a", 97u},
      {L"ab", 3331u},  // 98 * 33 + 97
      {L"abc", 111142u},
      {L"MainWnd.xml", 578886893u},  // wraps modulo 2^32
      {L"VerticalLayout", 1141263608u},
  };
  for (const auto& c : cases) EXPECT_EQ(c.hash, CStringMapUI::HashKey(c.key)) << c.key;
  EXPECT_EQ(0u, CStringMapUI::HashKey(nullptr));
}

TEST(StringMapUI, BucketIsTheHashModuloTheBucketCount) {
  // Buckets under 83: "ab" 11, "a" 14, "b" 15, "p" 29, "closebtn" 67, "MainWnd.xml" 73.
  // GetAt walks the buckets from the last to the first.
  CStringMapUI map(83);
  for (const wchar_t* key : {L"a", L"closebtn", L"ab", L"MainWnd.xml", L"p", L"b"}) {
    ASSERT_TRUE(map.Insert(key, nullptr));
  }
  EXPECT_EQ((std::vector<std::wstring>{L"MainWnd.xml", L"closebtn", L"p", L"b", L"a", L"ab"}),
            KeysInGetAtOrder(map));

  // Fewer than 16 buckets are never made: under 16, "p" has bucket 0 and "a" bucket 1.
  for (int requested : {0, 5, 16}) {
    CStringMapUI small(requested);
    small.Insert(L"p", nullptr);
    small.Insert(L"a", nullptr);
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"p"}), KeysInGetAtOrder(small)) << requested;
  }
}

TEST(StringMapUI, FoundEntryMovesToTheHeadOfItsBucket) {
  // "a" (97) and U+00B4 (180) share bucket 14 of 83; a new node goes to the head.
  CStringMapUI map(83);
  map.Insert(L"a", P(1));
  map.Insert(L"\x00B4", P(2));
  EXPECT_EQ((std::vector<std::wstring>{L"\x00B4", L"a"}), KeysInGetAtOrder(map));
  EXPECT_EQ(P(1), map.Find(L"a", false));
  EXPECT_EQ((std::vector<std::wstring>{L"\x00B4", L"a"}), KeysInGetAtOrder(map));
  EXPECT_EQ(P(1), map.Find(L"a"));
  EXPECT_EQ((std::vector<std::wstring>{L"a", L"\x00B4"}), KeysInGetAtOrder(map));
  // Moving the tail of a longer chain keeps every node linked.
  map.Insert(L"\x0107", P(3));  // 263: bucket 14 as well
  EXPECT_EQ(P(2), map.Find(L"\x00B4"));
  EXPECT_EQ((std::vector<std::wstring>{L"\x00B4", L"\x0107", L"a"}), KeysInGetAtOrder(map));
  EXPECT_TRUE(map.Remove(L"\x0107"));
  EXPECT_EQ((std::vector<std::wstring>{L"\x00B4", L"a"}), KeysInGetAtOrder(map));
  EXPECT_EQ(P(1), map.Find(L"a"));
  EXPECT_EQ(P(2), map.Find(L"\x00B4"));
}

TEST(StringMapUI, InsertSetRemoveAndCaseSensitiveKeys) {
  CStringMapUI map(83);
  EXPECT_TRUE(map.Insert(L"Label", P(1)));
  EXPECT_TRUE(map.Insert(L"label", P(2)));  // keys differing in case are two entries
  EXPECT_FALSE(map.Insert(L"Label", P(3)));
  EXPECT_EQ(P(1), map.Find(L"Label"));
  EXPECT_EQ(2, map.GetSize());

  EXPECT_EQ(P(1), map.Set(L"Label", P(4)));
  EXPECT_EQ(P(4), map.Find(L"Label"));
  EXPECT_EQ(nullptr, map.Set(L"Button", P(5)));
  EXPECT_EQ(3, map.GetSize());

  EXPECT_TRUE(map.Remove(L"label"));
  EXPECT_FALSE(map.Remove(L"label"));
  EXPECT_EQ(nullptr, map.Find(L"label"));
  EXPECT_EQ(2, map.GetSize());
  EXPECT_EQ(nullptr, map.Find(nullptr));
  EXPECT_FALSE(map.Insert(nullptr, P(1)));

  // A key handed back by GetAt can be removed by itself.
  const wchar_t* first = map.GetAt(0);
  ASSERT_NE(nullptr, first);
  EXPECT_TRUE(map.Remove(first));
  EXPECT_EQ(1, map.GetSize());
  EXPECT_EQ(nullptr, map.GetAt(1));
  EXPECT_EQ(nullptr, map.GetAt(-1));

  // A long key lives on the heap inside its node.
  const std::wstring longKey(200, L'k');
  EXPECT_TRUE(map.Insert(longKey.c_str(), P(9)));
  EXPECT_EQ(P(9), map.Find(longKey.c_str()));
}

TEST(StringMapUI, GetAtVisitsEveryKeyOnce) {
  CStringMapUI map(83);
  std::set<std::wstring> inserted;
  for (int i = 0; i < 300; ++i) {
    const std::wstring key = L"control" + std::to_wstring(i);
    inserted.insert(key);
    ASSERT_TRUE(map.Insert(key.c_str(), P(i + 1)));
  }
  std::set<std::wstring> visited;
  for (int i = 0; i < map.GetSize(); ++i) {
    const wchar_t* key = map.GetAt(i);
    ASSERT_NE(nullptr, key);
    EXPECT_TRUE(visited.insert(key).second) << "visited twice: " << key;
    EXPECT_NE(nullptr, map.Find(key, false));
  }
  EXPECT_EQ(inserted, visited);
}

TEST(StringMapUI, WithoutBucketsEveryOperationFails) {
  CStringMapUI map(83);
  map.Insert(L"a", P(1));
  map.Resize(0);
  EXPECT_EQ(0, map.GetSize());
  EXPECT_EQ(P(7), map.Set(L"a", P(7)));  // handed back for the caller to dispose of
  EXPECT_FALSE(map.Insert(L"a", P(7)));
  EXPECT_EQ(nullptr, map.Find(L"a"));
  EXPECT_FALSE(map.Remove(L"a"));
  EXPECT_EQ(nullptr, map.GetAt(0));
  EXPECT_EQ(0, map.GetSize());
  map.RemoveAll();
  EXPECT_FALSE(map.Insert(L"a", P(7)));

  map.Resize(-3);
  EXPECT_FALSE(map.Insert(L"a", P(7)));
  map.Resize(20);
  EXPECT_TRUE(map.Insert(L"a", P(7)));
  map.RemoveAll();  // keeps its buckets
  EXPECT_EQ(0, map.GetSize());
  EXPECT_TRUE(map.Insert(L"a", P(8)));
  EXPECT_EQ(P(8), map.Find(L"a"));
}

// ---- geometry and resource names ----

TEST(GeometryUI, RectangleOperations) {
  CRectUI r(0, 0, 10, 10);
  r.Join(CRectUI(5, 5, 20, 20));
  EXPECT_EQ(0, r.left);
  EXPECT_EQ(0, r.top);
  EXPECT_EQ(20, r.right);
  EXPECT_EQ(20, r.bottom);

  CRectUI m(3, 4, 13, 24);
  m.MoveToOrigin();
  EXPECT_EQ(0, m.left);
  EXPECT_EQ(0, m.top);
  EXPECT_EQ(10, m.right);
  EXPECT_EQ(20, m.bottom);
  EXPECT_EQ(10, m.GetWidth());
  EXPECT_EQ(20, m.GetHeight());

  m.Offset(-5, 7);
  EXPECT_EQ(-5, m.left);
  EXPECT_EQ(7, m.top);
  EXPECT_EQ(5, m.right);
  EXPECT_EQ(27, m.bottom);

  // Usable wherever a RECT is expected.
  RECT raw = {1, 2, 3, 4};
  CRectUI fromRaw(raw);
  EXPECT_TRUE(::EqualRect(&raw, &fromRaw));
  EXPECT_EQ(sizeof(RECT), sizeof(CRectUI));
  EXPECT_EQ(0, CRectUI().GetWidth());

  const CSizeUI size(3, 4);
  EXPECT_EQ(3, size.cx);
  EXPECT_EQ(4, size.cy);
  const CPointUI point(-1, 9);
  EXPECT_EQ(-1, point.x);
  EXPECT_EQ(9, point.y);
  EXPECT_EQ(sizeof(SIZE), sizeof(CSizeUI));
  EXPECT_EQ(sizeof(POINT), sizeof(CPointUI));
}

TEST(StringOrIdUI, HoldsAnIdInTheLow16BitsOrATextPointer) {
  const CStringOrIdUI id(0x12345u);
  EXPECT_TRUE(id.IsId());
  EXPECT_EQ(0x2345, id.GetId());
  EXPECT_EQ(reinterpret_cast<ULONG_PTR>(id.Get()), 0x2345u);
  EXPECT_EQ(MAKEINTRESOURCEW(147), CStringOrIdUI(147u).Get());

  const wchar_t* name = L"ZIPRES";
  const CStringOrIdUI text(name);
  EXPECT_FALSE(text.IsId());
  EXPECT_EQ(name, text.Get());
  EXPECT_EQ(sizeof(void*), sizeof(CStringOrIdUI));
}

namespace {

// Run during static initialisation, before the test program's entry function: the process-wide
// tables must already be usable then (other files' static initialisers register into them).
const bool g_tablesUsableBeforeEntry = [] {
  TProcessTablesUI& tables = ProcessTables();
  if (!tables.shared.fonts.Insert(L"static-init probe", P(7))) return false;
  const bool found = tables.shared.fonts.Find(L"static-init probe") == P(7);
  return tables.shared.fonts.Remove(L"static-init probe") && found;
}();

// The order in which GetAt lists the keys of a map with `buckets` buckets: from the last bucket
// to the first, the newest key of a bucket first.
std::vector<std::wstring> ListingOrder(const std::vector<std::wstring>& keys, unsigned buckets) {
  std::vector<std::pair<unsigned, size_t>> slots;
  for (size_t i = 0; i < keys.size(); ++i) slots.push_back({CStringMapUI::HashKey(keys[i].c_str()) % buckets, i});
  std::sort(slots.begin(), slots.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first > b.first : a.second > b.second;
  });
  std::vector<std::wstring> order;
  for (const auto& slot : slots) order.push_back(keys[slot.second]);
  return order;
}

}  // namespace

TEST(ProcessTablesUI, ExistBeforeTheEntryFunctionWithTheirShapes) {
  EXPECT_TRUE(g_tablesUsableBeforeEntry);
  TProcessTablesUI& tables = ProcessTables();
  EXPECT_TRUE(tables.shared.defaultFont.face.IsEmpty());
  // Every map has 83 buckets: the keys are listed in the order that 83 buckets give, which
  // differs from the order of any other likely count for these keys.
  std::vector<std::wstring> keys;
  for (int i = 0; i < 12; ++i) keys.push_back(L"probe" + std::to_wstring(i));
  const std::vector<std::wstring> expected = ListingOrder(keys, 83);
  for (unsigned other : {16u, 64u, 82u, 84u, 100u, 128u}) ASSERT_NE(expected, ListingOrder(keys, other)) << other;
  for (CStringMapUI* map : {&tables.shared.fonts, &tables.shared.images, &tables.shared.attributeLists,
                            &tables.languageTexts}) {
    ASSERT_EQ(0, map->GetSize());
    for (const std::wstring& key : keys) ASSERT_TRUE(map->Insert(key.c_str(), P(1)));
    std::vector<std::wstring> listed;
    for (int i = 0; i < map->GetSize(); ++i) listed.push_back(map->GetAt(i));
    EXPECT_EQ(expected, listed);
    for (const std::wstring& key : keys) EXPECT_TRUE(map->Remove(key.c_str()));
  }
  EXPECT_TRUE(tables.plugins.IsEmpty());
  EXPECT_TRUE(tables.liveManagers.IsEmpty());

  // A window and its shadow object are two pointers, whatever the pointer size.
  EXPECT_EQ(10, tables.shadowPairs.GetCapacity());
  void* pair[2] = {P(0x1234), P(-1)};
  ASSERT_TRUE(tables.shadowPairs.Add(pair));
  const auto* stored = static_cast<void* const*>(tables.shadowPairs.GetAt(0));
  EXPECT_EQ(pair[0], stored[0]);
  EXPECT_EQ(pair[1], stored[1]);
  EXPECT_TRUE(tables.shadowPairs.Remove(0, 1));
}
