#include "engine/mani.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "platform/runtime_error.h"
#include "support/registry_builder.h"
#include "support/scratch_registry.h"
#include "support/scripted_dialogs.h"

namespace hw {
namespace {

using test::Bytes;

constexpr char kBase[] = "SOFTWARE\\HwManiTest";

struct Event {
  std::string key, name, value;
  Bytes bytes;
  std::int32_t found = 0;
  long yield = 0;  // pump count when it was raised
};

class Recorder : public ManiEvents {
 public:
  explicit Recorder(test::ScriptedPump& pump) : pump_(pump) {}
  std::vector<Event> found, changed;
  std::vector<std::int32_t> finished;
  std::function<void(const Event&)> onFound, onChanged;

  void SearchFound(const std::string& root, const std::string& key, const std::string& name,
                   const std::string& value, const Bytes& bytes, std::int32_t lFound) override {
    EXPECT_EQ("HKEY_LOCAL_MACHINE", root);
    found.push_back({key, name, value, bytes, lFound, pump_.Count()});
    if (onFound) onFound(found.back());
  }
  void SearchKeyChanged(const std::string& name) override {
    changed.push_back({"", name, "", {}, 0, pump_.Count()});
    if (onChanged) onChanged(changed.back());
  }
  void SearchFinished(std::int32_t reason) override { finished.push_back(reason); }

  std::vector<std::string> FoundSummary() const {
    std::vector<std::string> out;
    for (const Event& e : found) out.push_back(e.key + "|" + e.name + "|" + std::to_string(e.found));
    return out;
  }
  std::vector<std::string> ChangedNames() const {
    std::vector<std::string> out;
    for (const Event& e : changed) out.push_back(e.name);
    return out;
  }

 private:
  test::ScriptedPump& pump_;
};

class ManiTest : public ::testing::Test {
 protected:
  std::unique_ptr<test::ScratchRegistry> scratch = test::MakeScratchRegistry();
  test::RegistryBuilder b{scratch->Api()};
  test::ScriptedPump pump;
  SearchParameters params;
  Mani mani{scratch->Api(), pump, params};
  Recorder rec{pump};

  void SetUp() override { mani.SetEvents(&rec); }

  std::string K(const std::string& rel) { return rel.empty() ? kBase : std::string(kBase) + "\\" + rel; }
  // (key under the base, value name, data) rows; a row without a name makes the key alone.
  void Put(const std::vector<std::array<const char*, 3>>& rows) {
    for (const auto& [key, name, data] : rows) {
      ASSERT_TRUE(name ? b.String(kHkeyLocalMachine, K(key), name, data) : b.Key(kHkeyLocalMachine, K(key)));
    }
  }
  void Walk(std::int32_t flags, const std::string& text, const std::string& start = "") {
    params.lSearchRoot = kHkeyLocalMachine;
    params.lSearchFlags = flags;
    params.sSearchText = text;
    params.sStartKey = K(start);
    mani.DoSearch();
  }
};

TEST_F(ManiTest, WalkOrderAndDescentRuleUnderEachFlag) {
  // Value names, containment in any case: a key that reported a value or
  // matched by name is not entered. A default value is no named one.
  Put({{"", "ModifyPath", "C:\\x"}, {"", "Other", "y"}, {"A", "ModifyPath", "a"}, {"A\\A1", "ModifyPath", "never"},
       {"B"}, {"B\\B1", "modifypath", "b1"}, {"B\\B1\\B1x", "ModifyPath", "never"},
       {"CModifyPathKey", "ModifyPath", "never"}, {"", "", "default data"}});
  Walk(kSearchValueNames, "ModifyPath");
  EXPECT_EQ((std::vector<std::string>{"A", "B", "B1", "CModifyPathKey"}), rec.ChangedNames());
  EXPECT_EQ("C:\\x", rec.found[0].value);
  EXPECT_EQ(" ", rec.found[3].value);
  EXPECT_EQ(Bytes(257, 0), rec.found[3].bytes);
  EXPECT_EQ((std::vector<std::int32_t>{0}), rec.finished);
  const std::string a = K("A") + "|(Default)|0", bb = K("B") + "|(Default)|0", c = K("CModifyPathKey") + "|(Default)|0";
  const struct {
    std::int32_t flags;
    std::string text, start;
    std::vector<std::string> found;
  } walks[] = {
      {kSearchValueNames, "ModifyPath", "",
       {K("") + "|ModifyPath|1", K("A") + "|ModifyPath|1", K("B\\B1") + "|modifypath|1", c}},
      // Flags 0, empty text: every direct subkey once, nothing deeper, no values.
      {0, "", "", {a, bb, c}},
      // Flags 1, empty text: the named values of the start key, then the subkeys.
      {kSearchValueNames, "", "", {K("") + "|ModifyPath|1", K("") + "|Other|1", a, bb, c}},
      // Whole text: equal in any case, not merely contained.
      {kSearchValueNames | kSearchWholeText, "MODIFYPATH", "B", {K("B\\B1") + "|modifypath|1"}},
  };
  for (const auto& w : walks) {
    rec.found.clear();
    Walk(w.flags, w.text, w.start);
    EXPECT_EQ(w.found, rec.FoundSummary()) << w.flags << " " << w.text;
  }
  // Whole text and an empty search text: only the empty name matches.
  rec.found.clear();
  Walk(kSearchValueNames | kSearchWholeText, "");
  EXPECT_EQ((std::vector<std::string>{K("") + "||1"}), rec.FoundSummary());
  EXPECT_EQ("default data", rec.found[0].value);

  // Data and names together: one value can be reported twice.
  rec.found.clear();
  Walk(kSearchValueNames | kSearchValueData, ":\\", "");
  EXPECT_EQ((std::vector<std::string>{K("") + "|ModifyPath|2"}), rec.FoundSummary());
  rec.found.clear();
  Walk(kSearchValueNames | kSearchValueData, "a", "");
  // "ModifyPath" by name, "default data" by data (their order is the
  // backend's value order), then subkey A by name.
  ASSERT_GE(rec.found.size(), 3u);
  const std::vector<std::string> all = rec.FoundSummary();
  std::vector<std::string> firstTwo(all.begin(), all.begin() + 2);
  std::sort(firstTwo.begin(), firstTwo.end());
  EXPECT_EQ((std::vector<std::string>{K("") + "|ModifyPath|1", K("") + "||2"}), firstTwo);
  EXPECT_EQ(K("A") + "|(Default)|0", all[2]);
}

TEST_F(ManiTest, GetRegDataFormatsEveryTypeAndTheWalkPassesRawBytes) {
  EXPECT_EQ("abc", mani.GetRegData(kRegSz, {'a', 'b', 'c', 0, 'z'}));
  EXPECT_EQ("%X%\\y", mani.GetRegData(kRegExpandSz, test::Sz("%X%\\y")));
  EXPECT_EQ("a", mani.GetRegData(kRegMultiSz, {'a', 0, 'b', 0, 0}));
  EXPECT_EQ("0x0000000A(10)", mani.GetRegData(kRegDword, {10, 0, 0, 0}));
  EXPECT_EQ("0xFFFFFFFF(-1)", mani.GetRegData(kRegDword, {0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ("0x7FFFFFFF(2147483647)", mani.GetRegData(kRegDword, {0xFF, 0xFF, 0xFF, 0x7F}));
  EXPECT_EQ("0x00000005(5)", mani.GetRegData(kRegDword, {5, 0}));
  EXPECT_EQ("01 AB", mani.GetRegData(kRegBinary, {0x01, 0xAB}));
  for (std::uint32_t other : {0u, 5u, 6u, 8u, 11u}) EXPECT_EQ("00 FF 10", mani.GetRegData(other, {0, 0xFF, 0x10}));
  EXPECT_EQ("", mani.GetRegData(kRegBinary, {}));
  EXPECT_EQ("ab", mani.TrimNull(std::string("ab\0c", 4)));

  ASSERT_TRUE(b.Value(kHkeyLocalMachine, K("T"), "a_bin", kRegBinary, {1, 0xAB}));
  ASSERT_TRUE(b.Value(kHkeyLocalMachine, K("T"), "b_dword2", kRegDword, {5, 0}));
  ASSERT_TRUE(b.Value(kHkeyLocalMachine, K("T"), "c_multi", kRegMultiSz, {'a', 0, 'b', 0, 0}));
  ASSERT_TRUE(b.Value(kHkeyLocalMachine, K("T"), "d_empty", kRegSz, {}));
  Walk(kSearchValueNames, "", "T");
  // An empty value still passes one byte.
  const std::pair<std::string, Bytes> want[] = {
      {"01 AB", {1, 0xAB}}, {"0x00000005(5)", {5, 0}}, {"a", {'a', 0, 'b', 0, 0}}, {"", {0}}};
  ASSERT_EQ(4u, rec.found.size());
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(want[i], std::make_pair(rec.found[i].value, rec.found[i].bytes)) << i;
  }

  // Data search: the empty string is no match, the others are.
  rec.found.clear();
  Walk(kSearchValueData, "", "T");
  EXPECT_EQ(3u, rec.found.size());
}

TEST_F(ManiTest, DataTooLongForTheBufferEndsTheValuesOfItsKey) {
  Put({{"L", "a", "short"}});
  ASSERT_TRUE(b.Value(kHkeyLocalMachine, K("L"), "b", kRegBinary, Bytes(5000, 7)));
  Put({{"L", "c", "after"}, {"L\\Sub", "x", "still walked"}});
  Walk(kSearchValueNames, "", "L");
  EXPECT_EQ((std::vector<std::string>{K("L") + "|a|1", K("L\\Sub") + "|(Default)|0"}), rec.FoundSummary());
}

TEST_F(ManiTest, YieldsAtEveryKeyValueMatchAndConversion) {
  Put({{"Y", "v", "x"}, {"Y\\S"}});
  Walk(kSearchValueNames, "", "Y");
  // DoSearch 1; values: 2 loop turns + MatchesSearch + GetRegData = 4;
  // keys: 2 loop turns + MatchesSearch + the yield after the subkey = 4.
  EXPECT_EQ(9, pump.Count());
  Walk(kSearchValueData, "", "Y");
  // The data search adds TrimNull to the value's yields.
  EXPECT_EQ(9 + 10, pump.Count());
}

TEST_F(ManiTest, StopLetsOpenLoopsReportMatchesButGoesNoDeeper) {
  Put({{"A\\AHit", "x", "1"}, {"BHit\\Deep"}, {"C\\CHit", "x", "1"}, {"DHit"}});
  // Abort clicked at the first yield after the walk entered A.
  rec.onChanged = [&](const Event& e) {
    if (e.name == "A") pump.At(pump.Count() + 1, [&] { mani.StopSearch(); });
  };
  Walk(kSearchValueNames, "Hit");
  EXPECT_EQ((std::vector<std::string>{"A"}), rec.ChangedNames());
  EXPECT_EQ((std::vector<std::string>{K("BHit") + "|(Default)|0", K("DHit") + "|(Default)|0"}),
            rec.FoundSummary());
  EXPECT_EQ((std::vector<std::int32_t>{1}), rec.finished);
  EXPECT_EQ(0, mani.lStopSearch);

  // A stop inside a value loop lets it finish the values of its key only.
  rec.found.clear();
  rec.onChanged = nullptr;
  Put({{"V", "v1", "1"}, {"V", "v2", "2"}, {"V", "v3", "3"}, {"V\\Sub"}});
  rec.onFound = [&](const Event&) { mani.StopSearch(); };
  Walk(kSearchValueNames, "", "V");
  EXPECT_EQ((std::vector<std::string>{K("V") + "|v1|1", K("V") + "|v2|1", K("V") + "|v3|1"}),
            rec.FoundSummary());

  // A walk started while the stop flag is set does nothing at all.
  rec.found.clear();
  rec.onFound = nullptr;
  mani.StopSearch();
  Walk(0, "");
  EXPECT_TRUE(rec.found.empty());
  EXPECT_EQ(1, rec.finished.back());
}

TEST_F(ManiTest, PauseHoldsTheWalkBetweenSubkeysOnlyAndStopEndsIt) {
  Put({{"A", "v1", "1"}, {"A", "v2", "2"}, {"B", "v1", "1"}});
  long pausedAt = 0;
  rec.onChanged = [&](const Event& e) {
    if (e.name != "A") return;
    pausedAt = pump.Count() + 1;
    pump.At(pausedAt, [&] { mani.PauseOperation = true; });
    pump.At(pausedAt + 40, [&] { mani.PauseOperation = false; });
  };
  Walk(kSearchValueNames, "v");
  ASSERT_EQ(3u, rec.found.size());
  // A's values are reported while paused: a value loop runs to its end.
  EXPECT_LT(rec.found[1].yield, pausedAt + 40);
  // B is entered only after Resume.
  ASSERT_EQ(2u, rec.changed.size());
  EXPECT_GE(rec.changed[1].yield, pausedAt + 40);

  // Paused and then aborted: the walk ends instead of waiting.
  rec.found.clear();
  rec.changed.clear();
  rec.onChanged = [&](const Event& e) {
    if (e.name != "A") return;
    pump.At(pump.Count() + 1, [&] { mani.PauseOperation = true; });
    pump.At(pump.Count() + 20, [&] { mani.StopSearch(); });
  };
  Walk(kSearchValueNames, "v");
  EXPECT_EQ(1, rec.finished.back());
  EXPECT_EQ((std::vector<std::string>{"A"}), rec.ChangedNames());
  EXPECT_TRUE(mani.PauseOperation);  // the pause itself is the window's to clear
}

TEST_F(ManiTest, ARunTimeErrorInAHandlerStopsTheWalkWithItsNumber) {
  Put({{"A"}, {"B"}, {"C\\D"}});
  rec.onFound = [&](const Event& e) {
    if (e.key == K("A")) throw RuntimeError(kErrInvalidArgument, "boom");
  };
  Walk(0, "");
  EXPECT_EQ((std::vector<std::string>{K("A") + "|(Default)|0"}), rec.FoundSummary());
  EXPECT_EQ((std::vector<std::int32_t>{kErrInvalidArgument}), rec.finished);
  EXPECT_EQ(0, mani.lStopSearch);

  // A start key that cannot be opened is no error: nothing is found.
  rec.found.clear();
  rec.onFound = nullptr;
  Walk(kSearchValueNames, "", "NoSuchKey");
  EXPECT_TRUE(rec.found.empty());
  EXPECT_EQ(0, rec.finished.back());
}

}  // namespace
}  // namespace hw
