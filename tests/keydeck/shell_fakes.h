// Recording fakes of the shell's service interfaces.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "keydeck/shell/language.h"
#include "keydeck/shell/platform.h"
#include "keydeck/shell/settings.h"

namespace kd::test {

using Calls = std::vector<std::string>;

// The base of the fakes that write each call they get as one line in
// Calls, so a test states the whole effect of an action in one expectation.
class CallRecorder {
 public:
  std::vector<std::string> Calls;

  // The lines since the last take.
  std::vector<std::string> Take() { return std::exchange(Calls, {}); }
};

class FakeScreen : public ScreenMetrics {
 public:
  int W = 1024, H = 768;
  int Width() const override { return W; }
  int Height() const override { return H; }
};

class FakeStrings : public StringTable {
 public:
  std::map<unsigned, std::string> Rows;
  bool Load(unsigned id, std::string* text) const override {
    auto it = Rows.find(id);
    if (it == Rows.end()) return false;
    *text = it->second;
    return true;
  }
};

class FakeSettingsServices : public SettingsServices {
 public:
  std::vector<HotkeyRow> Entries;
  int Clears = 0;
  int MciWrites = 0;
  std::vector<int32_t> Locations;
  std::vector<int32_t> AutoPlayRegistrations;
  std::size_t RowsAtAutoPlay = 0;           // engine rows when it ran
  std::map<int32_t, int32_t> AutoPlayResults;  // player choice it leaves; default unchanged
  std::map<std::string, std::string> FileTypes;

  void ClearEntries() override {
    ++Clears;
    Entries.clear();
  }
  void AddEntry(const HotkeyRow& row) override {
    if (Entries.size() < 30) Entries.push_back(row);
  }
  bool GetEntry(int index, HotkeyRow* row) const override {
    if (index < 0 || index >= static_cast<int>(Entries.size())) return false;
    *row = Entries[index];
    return true;
  }
  void WriteMciExtension() override { ++MciWrites; }
  void ApplyOsdLocation(int32_t msgLoc) override { Locations.push_back(msgLoc); }
  std::string FileTypeName(const std::string& extension) override {
    auto it = FileTypes.find(extension);
    return it == FileTypes.end() ? std::string() : it->second;
  }
  int32_t RegisterCdAutoPlay(int32_t player) override {
    AutoPlayRegistrations.push_back(player);
    RowsAtAutoPlay = Entries.size();
    auto it = AutoPlayResults.find(player);
    return it == AutoPlayResults.end() ? player : it->second;
  }
};

}  // namespace kd::test
