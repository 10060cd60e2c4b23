#pragma once
// The numbers of the Excel C API the add-in uses: value types and their ownership bits, error
// codes, the return codes of Excel12v and the function numbers it is called with. They are
// Excel's, so they keep the names Microsoft's documentation gives them, and a reader can look
// each one up there.

#include <cstdint>

namespace orra {

// XLOPER12::xltype
inline constexpr uint32_t xltypeNum = 0x0001;
inline constexpr uint32_t xltypeStr = 0x0002;
inline constexpr uint32_t xltypeBool = 0x0004;
inline constexpr uint32_t xltypeRef = 0x0008;
inline constexpr uint32_t xltypeErr = 0x0010;
inline constexpr uint32_t xltypeFlow = 0x0020;
inline constexpr uint32_t xltypeMulti = 0x0040;
inline constexpr uint32_t xltypeMissing = 0x0080;
inline constexpr uint32_t xltypeNil = 0x0100;
inline constexpr uint32_t xltypeSRef = 0x0400;
inline constexpr uint32_t xltypeInt = 0x0800;
inline constexpr uint32_t xltypeBigData = xltypeStr | xltypeInt;
// Who frees the memory a value returned to Excel holds: Excel (xlFree) or the add-in
// (xlAutoFree12).
inline constexpr uint32_t xlbitXLFree = 0x1000;
inline constexpr uint32_t xlbitDLLFree = 0x4000;

// XLOPER12::val.err
inline constexpr int32_t xlerrNull = 0;
inline constexpr int32_t xlerrDiv0 = 7;
inline constexpr int32_t xlerrValue = 15;
inline constexpr int32_t xlerrRef = 23;
inline constexpr int32_t xlerrName = 29;
inline constexpr int32_t xlerrNum = 36;
inline constexpr int32_t xlerrNA = 42;
inline constexpr int32_t xlerrGettingData = 43;

// Excel12v's return codes
inline constexpr int32_t xlretSuccess = 0;
inline constexpr int32_t xlretAbort = 1;
inline constexpr int32_t xlretInvXlfn = 2;
inline constexpr int32_t xlretInvCount = 4;
inline constexpr int32_t xlretInvXloper = 8;
inline constexpr int32_t xlretStackOvfl = 16;
inline constexpr int32_t xlretFailed = 32;
inline constexpr int32_t xlretUncalced = 64;
inline constexpr int32_t xlretNotThreadSafe = 128;
inline constexpr int32_t xlretInvAsynchronousContext = 256;
inline constexpr int32_t xlretNotClusterSafe = 512;

// Bits of a function number
inline constexpr int32_t xlCommand = 0x8000;
inline constexpr int32_t xlSpecial = 0x4000;
inline constexpr int32_t xlIntl = 0x2000;
inline constexpr int32_t xlPrompt = 0x1000;

// Functions only the C API has
inline constexpr int32_t xlFree = 0 | xlSpecial;
inline constexpr int32_t xlCoerce = 2 | xlSpecial;
inline constexpr int32_t xlSheetNm = 5 | xlSpecial;
inline constexpr int32_t xlGetHwnd = 8 | xlSpecial;
inline constexpr int32_t xlGetName = 9 | xlSpecial;
inline constexpr int32_t xlEventRegister = 0x11 | xlSpecial;
inline constexpr int32_t xlGetInstPtr = 0x13 | xlSpecial;

// Worksheet and macro functions, and commands
inline constexpr int32_t xlfDay = 67;
inline constexpr int32_t xlfMonth = 68;
inline constexpr int32_t xlfYear = 69;
inline constexpr int32_t xlfSetName = 88;
inline constexpr int32_t xlfCaller = 89;
inline constexpr int32_t xlfRegister = 149;
inline constexpr int32_t xlfGetWorkspace = 186;
inline constexpr int32_t xlfUnregister = 201;
inline constexpr int32_t xlfRtd = 379;
inline constexpr int32_t xlcMessage = 122 | xlCommand;

// The grid of Excel 2007 and later, counted from 0.
inline constexpr int32_t kLastRow = 1048575;
inline constexpr int32_t kLastColumn = 16383;

}  // namespace orra
