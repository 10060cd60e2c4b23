#pragma once
// Where the store's files lie under the terminal's data directory, written as the terminal
// writes them (the separators mixed; opening maps both to the platform's own).

#include <string>
#include <string_view>

namespace orra {

inline constexpr std::u16string_view kIndicatorFileName = u"locache\\system\\0000000038.orrarpt";
inline constexpr std::u16string_view kSystemDictionaryName = u"locache\\srvmgr\\system.dict";
inline constexpr std::u16string_view kMarketDataName = u"locache\\system\\sys0000.bkdata";
inline constexpr std::u16string_view kKeyIndexName = u"locache/system/system.keyidx";
inline constexpr std::u16string_view kSelfBlockName = u"userdata/selfblock.ini";

inline constexpr int32_t kIndicatorPayloadSize = 38;
inline constexpr int32_t kParameterPayloadSize = 204;
// The data directory keeps at most this many characters.
inline constexpr size_t kMaxDataDirectoryChars = 255;

// `directory` with a separator at its end ("/" when it has none; both are understood).
std::u16string WithTrailingSeparator(std::u16string directory);

}  // namespace orra
