// The real DLL registering itself in Wine's real registry, and its type library read back.
// Every test leaves the registry as it found it: what registration writes is unregistered, and
// the keys the test itself makes (an Excel version's Options key, the parents that survive
// unregistration) are deleted when they were not there before.
#include <windows.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "addin/com_ids.h"

namespace orra {
namespace {

using RegisterServer = HRESULT(__stdcall*)();
using InstallServer = HRESULT(__stdcall*)(BOOL, LPCWSTR);

constexpr wchar_t kOffice[] = L"Software\\Microsoft\\Office";
constexpr wchar_t kOptions16[] = L"Software\\Microsoft\\Office\\16.0\\Excel\\Options";
constexpr wchar_t kAddinKey[] = L"Software\\Microsoft\\Office\\Excel\\Addins\\ZodevUruza.OrraExcel";
constexpr wchar_t kUserAppIds[] = L"Software\\Classes\\AppID";
constexpr wchar_t kUserClassIds[] = L"Software\\Classes\\CLSID";

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

GUID GuidOf(std::u16string_view text) {
  GUID guid = {};
  EXPECT_EQ(CLSIDFromString(Wide(text).c_str(), &guid), S_OK);
  return guid;
}

std::wstring DirectoryOfThisProgram() {
  wchar_t path[MAX_PATH] = {};
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path, n);
  return text.substr(0, text.find_last_of(L'\\') + 1);
}

bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::optional<std::wstring> Text(HKEY root, const std::wstring& path, const wchar_t* name) {
  wchar_t buffer[1024] = {};
  DWORD bytes = sizeof(buffer);
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(buffer);
}

std::optional<DWORD> Number(HKEY root, const std::wstring& path, const wchar_t* name) {
  DWORD number = 0;
  DWORD bytes = sizeof(number);
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &number, &bytes) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return number;
}

class SelfRegistrationUnderWine : public ::testing::Test {
 protected:
  void SetUp() override {
    office_existed_ = KeyExists(HKEY_CURRENT_USER, kOffice);
    user_app_ids_existed_ = KeyExists(HKEY_CURRENT_USER, kUserAppIds);
    user_class_ids_existed_ = KeyExists(HKEY_CURRENT_USER, kUserClassIds);
    ASSERT_FALSE(KeyExists(HKEY_CURRENT_USER, kOptions16)) << "an Excel 16 start-up list is already there";
    HKEY options = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kOptions16, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &options, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(options);

    dll_ = LoadLibraryW((DirectoryOfThisProgram() + L"OrraAddin64.xll").c_str());
    ASSERT_NE(dll_, nullptr) << GetLastError();
    wchar_t path[MAX_PATH] = {};
    dll_path_.assign(path, GetModuleFileNameW(dll_, path, MAX_PATH));
    register_ = Export<RegisterServer>("DllRegisterServer");
    unregister_ = Export<RegisterServer>("DllUnregisterServer");
    install_ = Export<InstallServer>("DllInstall");
    ASSERT_TRUE(register_ != nullptr && unregister_ != nullptr && install_ != nullptr);
  }

  void TearDown() override {
    if (dll_ != nullptr) FreeLibrary(dll_);
    if (office_existed_) {
      RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\16.0");
    } else {
      RegDeleteTreeW(HKEY_CURRENT_USER, kOffice);
    }
    // Unregistration keeps these two; they go when the test made them and they are empty.
    if (!user_app_ids_existed_) RegDeleteKeyW(HKEY_CURRENT_USER, kUserAppIds);
    if (!user_class_ids_existed_) RegDeleteKeyW(HKEY_CURRENT_USER, kUserClassIds);
  }

  template <typename Function>
  Function Export(const char* name) const {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(dll_, name)));
  }

  std::wstring OwnEntry() const {
    return L"\"" + dll_path_.substr(0, dll_path_.find_last_of(L'\\') + 1) + L"OrraAddin64.xll\"";
  }

  HMODULE dll_ = nullptr;
  std::wstring dll_path_;
  RegisterServer register_ = nullptr;
  RegisterServer unregister_ = nullptr;
  InstallServer install_ = nullptr;
  bool office_existed_ = false;
  bool user_app_ids_existed_ = false;
  bool user_class_ids_existed_ = false;
};

const std::wstring kClassKey = L"CLSID\\" + Wide(kOrraExcelClassId);
const std::wstring kTypeLibraryKey = L"TypeLib\\" + Wide(kTypeLibraryId);
const std::wstring kInterfaceKey = L"Interface\\" + Wide(kTesselExcelInterfaceId);
const std::wstring kAppIdKey = L"AppID\\" + Wide(kApplicationId);

TEST_F(SelfRegistrationUnderWine, RegistersMachineWideAndUnregistersAgain) {
  ASSERT_EQ(register_(), S_OK);

  EXPECT_EQ(Text(HKEY_CURRENT_USER, kAddinKey, L"FriendlyName"), L"Orra Excel Addin");
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kAddinKey, L"Description"), L"星桥资管插件");
  EXPECT_EQ(Number(HKEY_CURRENT_USER, kAddinKey, L"LoadBehavior"), 3u);
  EXPECT_EQ(Number(HKEY_CURRENT_USER, kAddinKey, L"CommandLineSafe"), 1u);
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kOptions16, L"OPEN"), OwnEntry());
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kOptions16, L"OPEN1"), OwnEntry());
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Microsoft\\Office\\15.0"));

  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", nullptr), dll_path_);
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", L"ThreadingModel"), L"Apartment");
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, kClassKey + L"\\TypeLib", nullptr), Wide(kTypeLibraryId));
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, L"ZodevUruza.OrraExcel\\CurVer", nullptr), L"ZodevUruza.OrraExcel.1");
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, kAppIdKey, nullptr), L"ZodevUruza");
  EXPECT_EQ(Text(HKEY_CLASSES_ROOT, kTypeLibraryKey + L"\\1.0\\0\\win64", nullptr), dll_path_);
  EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kInterfaceKey));
  // COM finds the class by its ProgID.
  CLSID found = {};
  EXPECT_EQ(CLSIDFromProgID(L"ZodevUruza.OrraExcel", &found), S_OK);
  EXPECT_TRUE(IsEqualGUID(found, GuidOf(kOrraExcelClassId)));

  // A second registration, as every load does, finds the entries and keeps them in place.
  ASSERT_EQ(register_(), S_OK);
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kOptions16, L"OPEN2"), std::nullopt);

  ASSERT_EQ(unregister_(), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kOptions16, L"OPEN"), std::nullopt);
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kOptions16, L"OPEN1"), std::nullopt);
  for (const std::wstring& key : {kClassKey, kTypeLibraryKey, kInterfaceKey, kAppIdKey,
                                  std::wstring(L"ZodevUruza.OrraExcel"), std::wstring(L"ZodevUruza.OrraExcel.1"),
                                  std::wstring(L"AppID\\ZodevUruza.DLL")}) {
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key)) << std::string(key.begin(), key.end());
  }
}

TEST_F(SelfRegistrationUnderWine, InstallsForTheUserAndUninstallsAgain) {
  ASSERT_EQ(install_(TRUE, L"user"), S_OK);
  const std::wstring user_class = L"Software\\Classes\\" + kClassKey;
  EXPECT_EQ(Text(HKEY_CURRENT_USER, user_class + L"\\InprocServer32", nullptr), dll_path_);
  EXPECT_EQ(Text(HKEY_CURRENT_USER, L"Software\\Classes\\ZodevUruza.OrraExcel\\CLSID", nullptr),
            Wide(kOrraExcelClassId));
  EXPECT_EQ(Text(HKEY_CURRENT_USER, L"Software\\Classes\\" + kAppIdKey, nullptr), L"ZodevUruza");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + kClassKey));
  EXPECT_EQ(Text(HKEY_CURRENT_USER, kOptions16, L"OPEN"), OwnEntry());

  // The switch to the user's classes holds for the uninstall without a command line.
  ASSERT_EQ(install_(FALSE, nullptr), S_OK);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, user_class));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\ZodevUruza.OrraExcel"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, L"Software\\Classes\\" + kAppIdKey));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kAddinKey));
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kTypeLibraryKey));
}

struct ReleaseTypeInfo {
  void operator()(ITypeInfo* info) const { info->Release(); }
};
struct ReleaseTypeLib {
  void operator()(ITypeLib* library) const { library->Release(); }
};

TEST_F(SelfRegistrationUnderWine, TheTypeLibraryGivesTheRibbonsDispatchIdsInSlotOrder) {
  ITypeLib* raw_library = nullptr;
  ASSERT_EQ(LoadTypeLibEx(dll_path_.c_str(), REGKIND_NONE, &raw_library), S_OK);
  const std::unique_ptr<ITypeLib, ReleaseTypeLib> library(raw_library);

  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, GuidOf(kTypeLibraryId)));
  EXPECT_EQ(attributes->wMajorVerNum, 1);
  EXPECT_EQ(attributes->wMinorVerNum, 0);
  library->ReleaseTLibAttr(attributes);
  BSTR name = nullptr;
  ASSERT_EQ(library->GetDocumentation(-1, &name, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(std::wstring(name), L"ZodevUruzaLib");
  SysFreeString(name);

  ITypeInfo* raw_class = nullptr;
  ASSERT_EQ(library->GetTypeInfoOfGuid(GuidOf(kOrraExcelClassId), &raw_class), S_OK);
  const std::unique_ptr<ITypeInfo, ReleaseTypeInfo> coclass(raw_class);

  ITypeInfo* raw_dispatch = nullptr;
  ASSERT_EQ(library->GetTypeInfoOfGuid(GuidOf(kTesselExcelInterfaceId), &raw_dispatch), S_OK);
  const std::unique_ptr<ITypeInfo, ReleaseTypeInfo> dispatch(raw_dispatch);

  const std::vector<std::pair<const wchar_t*, DISPID>> methods = {
      {L"OnGetImage", 1},          {L"OnButtonHelpClick", 2},       {L"GetImage", 3},
      {L"getEnabled", 4},          {L"ribbonLoaded", 6},            {L"OnClickRefreshEx", 8},
      {L"GetItemImage", 9},        {L"OnClickInsertFunctionEx", 10}, {L"OnClickInsertStock", 11},
      {L"OnClickFormatRefreshEx", 25}, {L"OnClickDataRefreshEx", 26}, {L"OnDevelopModeEx", 27},
      {L"OnClickAllRefreshEx", 28}, {L"getVisible", 39},
  };
  for (const auto& [method, id] : methods) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(method)};
    MEMBERID found = DISPID_UNKNOWN;
    EXPECT_EQ(dispatch->GetIDsOfNames(names, 1, &found), S_OK) << std::wstring(method).size();
    EXPECT_EQ(found, id);
  }
  // The ribbon's XML spells some callbacks in another letter case.
  LPOLESTR other_case[] = {const_cast<LPOLESTR>(L"GetEnabled")};
  MEMBERID found = DISPID_UNKNOWN;
  EXPECT_EQ(dispatch->GetIDsOfNames(other_case, 1, &found), S_OK);
  EXPECT_EQ(found, 4);

  // The vtable side of the dual interface: the methods follow IDispatch's seven slots in order.
  HREFTYPE interface_ref = 0;
  ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &interface_ref), S_OK);
  ITypeInfo* raw_interface = nullptr;
  ASSERT_EQ(dispatch->GetRefTypeInfo(interface_ref, &raw_interface), S_OK);
  const std::unique_ptr<ITypeInfo, ReleaseTypeInfo> vtable(raw_interface);
  for (UINT index = 0; index < methods.size(); ++index) {
    FUNCDESC* function = nullptr;
    ASSERT_EQ(vtable->GetFuncDesc(index, &function), S_OK);
    EXPECT_EQ(function->memid, methods[index].second);
    EXPECT_EQ(function->oVft, static_cast<SHORT>((7 + index) * sizeof(void*)));
    vtable->ReleaseFuncDesc(function);
  }
}

}  // namespace
}  // namespace orra
