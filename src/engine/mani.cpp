#include "engine/mani.h"

#include <algorithm>
#include <array>
#include <cstdio>

#include "registry/module1.h"
#include "registry/scoped_key.h"
#include "platform/runtime_error.h"
#include "platform/vb_text.h"

namespace hw {

std::string Mani::GetRegData(std::uint32_t lType, const std::vector<std::uint8_t>& abData) {
  Yield();
  return RegDataText(lType, abData);
}

std::string RegDataText(std::uint32_t lType, const std::vector<std::uint8_t>& abData) {
  switch (lType) {
    case kRegSz:
    case kRegExpandSz:
    case kRegMultiSz:
      return CutAtNul(std::string(abData.begin(), abData.end()));
    case kRegDword: {
      std::uint32_t u = 0;
      for (std::size_t i = 0; i < 4 && i < abData.size(); ++i) u |= std::uint32_t(abData[i]) << (8 * i);
      char buf[40];
      std::snprintf(buf, sizeof buf, "0x%08X(%d)", u, static_cast<std::int32_t>(u));
      return buf;
    }
    default: {
      static const char kHex[] = "0123456789ABCDEF";
      std::string text;
      text.reserve(abData.size() * 3);
      for (std::uint8_t b : abData) {
        text += kHex[b >> 4];
        text += kHex[b & 15];
        text += ' ';
      }
      if (!text.empty()) text.pop_back();
      return text;
    }
  }
}

std::string Mani::TrimNull(const std::string& startstr) {
  Yield();
  return CutAtNul(startstr);
}

bool Mani::MatchesSearch(const std::string& text) {
  Yield();
  if (params_.lSearchFlags & kSearchWholeText) return UCase(text) == UCase(params_.sSearchText);
  if (text.empty()) return false;
  return Contains(text, params_.sSearchText, true);
}

void Mani::DoSearch() {
  Yield();
  if (params_.lSearchFlags & (kSearchValueNames | kSearchValueData))
    SearchValues(params_.lSearchRoot, params_.sStartKey);
  SearchKeys(params_.lSearchRoot, params_.sStartKey);
  if (events_) events_->SearchFinished(lStopSearch);
  lStopSearch = 0;
}

void Mani::SearchKeys(RegKey root, const std::string& keyPath) {
  if (lStopSearch != 0) return;
  ScopedKey key(reg_, root, keyPath);
  if (!key.ok()) return;
  const std::string rootName = Module1::RootKeyName(root);
  const bool withValues = (params_.lSearchFlags & (kSearchValueNames | kSearchValueData)) != 0;
  std::array<char, kMaxNameChars> name;
  try {
    for (std::uint32_t index = 0;; ++index) {
      Yield();
      // A stop request ends a pause; reading both fresh lets a click
      // during the yield take effect at once.
      while (PauseOperation && lStopSearch == 0) pump_.WaitForEvents();
      name.fill('\0');
      if (reg_.EnumKey(key.get(), index, name.data(), kMaxNameChars) != kErrorSuccess) break;
      ++ItemsWalked;
      std::string subName(name.data());
      std::string subPath = keyPath.empty() ? subName : keyPath + "\\" + subName;
      if (lStopSearch == 0 && events_) events_->SearchKeyChanged(subName);
      bool found = false;
      if (MatchesSearch(subName)) {
        found = true;
        if (events_)
          events_->SearchFound(rootName, subPath, "(Default)", " ",
                               std::vector<std::uint8_t>(kKeyMatchBytes, 0), kFoundKeyName);
      }
      if (!found) {
        if (withValues) found = SearchValues(root, subPath);
        if (!found) SearchKeys(root, subPath);
      }
      Yield();
    }
  } catch (const RuntimeError& e) {
    lStopSearch = static_cast<std::int32_t>(e.Number());
  }
}

bool Mani::SearchValues(RegKey root, const std::string& keyPath) {
  if (lStopSearch != 0) return false;
  ScopedKey key(reg_, root, keyPath);
  if (!key.ok()) return false;
  const std::string rootName = Module1::RootKeyName(root);
  bool found = false;
  std::array<char, kMaxNameChars> name;
  std::array<std::uint8_t, kMaxDataBytes> data;
  try {
    for (std::uint32_t index = 0;; ++index) {
      Yield();
      name.fill('\0');
      std::uint32_t nameChars = kMaxNameChars;
      std::uint32_t dataBytes = kMaxDataBytes;
      std::uint32_t type = 0;
      // A name or data too long for the buffers ends the values of this key.
      if (reg_.EnumValue(key.get(), index, name.data(), &nameChars, &type, data.data(),
                         &dataBytes) != kErrorSuccess)
        break;
      ++ItemsWalked;
      std::vector<std::uint8_t> bytes;
      if (dataBytes == 0)
        bytes.assign(1, 0);
      else
        bytes.assign(data.begin(), data.begin() + std::min<std::uint32_t>(dataBytes, kMaxDataBytes));
      std::string valueName(name.data());
      if ((params_.lSearchFlags & kSearchValueNames) && MatchesSearch(valueName)) {
        found = true;
        std::string text = GetRegData(type, bytes);
        if (events_) events_->SearchFound(rootName, keyPath, valueName, text, bytes, kFoundValueName);
      }
      if (params_.lSearchFlags & kSearchValueData) {
        std::string text = TrimNull(GetRegData(type, bytes));
        if (MatchesSearch(text)) {
          found = true;
          if (events_) events_->SearchFound(rootName, keyPath, valueName, text, bytes, kFoundValueData);
        }
      }
    }
  } catch (const RuntimeError& e) {
    lStopSearch = static_cast<std::int32_t>(e.Number());
  }
  return found;
}

}  // namespace hw
