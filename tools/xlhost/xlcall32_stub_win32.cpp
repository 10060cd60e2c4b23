// The stand-in for Excel's XLCALL32.DLL. An XLL of ours only checks that the Excel 4 entries
// exist and calls Excel through MdCallBack12, so each entry answers that it failed.
namespace {

constexpr int kXlretFailed = 32;
constexpr int kExcel12CallVersion = 0x0C00;

}  // namespace

extern "C" {

int __cdecl Excel4(int, void*, int, ...) { return kXlretFailed; }
int __stdcall Excel4v(int, void*, int, void**) { return kXlretFailed; }
int __stdcall XLCallVer() { return kExcel12CallVersion; }
long __stdcall LPenHelper(int, void*) { return kXlretFailed; }

}
