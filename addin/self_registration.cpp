#include "addin/self_registration.h"

#include <array>
#include <string>

#include "addin/com_ids.h"
#include "addin/registration_resources.h"
#include "common/ascii_text.h"

namespace orra {
namespace {

constexpr std::u16string_view kModuleFileName = u"OrraAddin64.xll";
constexpr std::u16string_view kOwnEntryTail = u"OrraAddin64.xll\"";

constexpr std::u16string_view kComAddinPath = u"SOFTWARE\\Microsoft\\Office\\Excel\\Addins\\ZodevUruza.OrraExcel";
constexpr std::u16string_view kFriendlyName = u"Orra Excel Addin";
constexpr std::u16string_view kDescription = u"星桥资管插件";
constexpr uint32_t kLoadAtStartupLoaded = 3;
constexpr uint32_t kCommandLineSafe = 1;

// Excel 2000 (9.0) to Excel 2016 and later (16.0).
constexpr int kFirstExcelVersion = 9;
constexpr int kLastExcelVersion = 16;
// "OPEN", then OPEN1 to OPEN255.
constexpr int kStartupSlots = 256;
constexpr size_t kStartupValueRoom = 260;
// Unregistration stops looking at a version's slots once more than this many slots have been
// found missing, counted over all versions together.
constexpr int kMissingSlotsTolerated = 4;

std::u16string Decimal(int number) {
  const std::string digits = std::to_string(number);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string OptionsPath(int version) {
  return u"SOFTWARE\\Microsoft\\Office\\" + Decimal(version) + u".0\\Excel\\Options";
}

std::u16string SlotName(int slot) { return slot == 0 ? std::u16string(u"OPEN") : u"OPEN" + Decimal(slot); }

bool Failed(int32_t result) { return result < 0; }

}  // namespace

std::u16string StartupEntry(std::u16string_view module_directory) {
  std::u16string entry = u"\"";
  entry += module_directory;
  entry += kModuleFileName;
  entry += u'"';
  return entry;
}

bool IsOwnStartupEntry(std::u16string_view value) {
  if (value.size() < 2) return false;
  // The backslash is looked for from the end down to the second character only: the first is
  // the opening quote of a quoted path.
  size_t tail_start = 1;
  for (size_t i = value.size() - 1; i >= 1; --i) {
    if (value[i] == u'\\') {
      tail_start = i + 1;
      break;
    }
  }
  return EqualsIgnoringAsciiCase(value.substr(tail_start), kOwnEntryTail);
}

std::u16string DirectoryOf(std::u16string_view module_path) {
  const size_t slash = module_path.rfind(u'\\');
  return slash == std::u16string_view::npos ? std::u16string() : std::u16string(module_path.substr(0, slash + 1));
}

void SelfRegistration::WriteComAddinEntry() {
  const std::unique_ptr<RegistryKey> key = registry_.Create(RegistryRoot::kCurrentUser, kComAddinPath);
  if (key == nullptr) return;
  key->WriteText(u"FriendlyName", kFriendlyName);
  key->WriteText(u"Description", kDescription);
  key->WriteNumber(u"LoadBehavior", kLoadAtStartupLoaded);
  key->WriteNumber(u"CommandLineSafe", kCommandLineSafe);
}

void SelfRegistration::WriteStartupEntries(std::u16string_view entry) {
  for (int version = kFirstExcelVersion; version <= kLastExcelVersion; ++version) {
    // A version's key exists only where that Excel is installed; it is never made here.
    const std::unique_ptr<RegistryKey> key = registry_.Open(RegistryRoot::kCurrentUser, OptionsPath(version));
    if (key == nullptr) continue;
    for (int slot = 0; slot < kStartupSlots; ++slot) {
      const std::u16string name = SlotName(slot);
      const std::optional<std::u16string> current = key->ReadText(name, kStartupValueRoom);
      if (current && !IsOwnStartupEntry(*current)) continue;
      key->WriteText(name, entry);
      // "OPEN" is written and the numbered slots are still looked at; the first numbered slot
      // that is free or already ours ends the scan. When all 255 hold other add-ins' entries
      // the scan ends without writing one of them.
      if (slot > 0) break;
    }
  }
}

void SelfRegistration::DeleteStartupEntries() {
  int missing = 0;
  for (int version = kFirstExcelVersion; version <= kLastExcelVersion; ++version) {
    const std::unique_ptr<RegistryKey> key = registry_.Open(RegistryRoot::kCurrentUser, OptionsPath(version));
    if (key == nullptr) continue;
    for (int slot = 0; slot < kStartupSlots; ++slot) {
      const std::u16string name = SlotName(slot);
      const std::optional<std::u16string> current = key->ReadText(name, kStartupValueRoom);
      if (!current) {
        if (++missing > kMissingSlotsTolerated) break;
        continue;
      }
      if (IsOwnStartupEntry(*current)) key->DeleteValue(name);
    }
  }
}

std::optional<RegistrarScript> SelfRegistration::Script(int resource_number) const {
  const std::optional<std::u16string> text = host_.RegistrarScriptText(resource_number);
  if (!text) return std::nullopt;
  const std::u16string module = host_.ModulePath();
  const std::array<RegistrarVariable, 4> variables = {{
      {u"MODULE", module},
      {u"APPID", kApplicationId},
      {u"CLSID", kOrraExcelClassId},
      {u"LIBID", kTypeLibraryId},
  }};
  return RegistrarScript::Parse(*text, variables);
}

int32_t SelfRegistration::RegisterClasses() {
  for (const int resource : {ORRA_APPLICATION_SCRIPT_RESOURCE, ORRA_CLASS_SCRIPT_RESOURCE}) {
    const std::optional<RegistrarScript> script = Script(resource);
    if (!script || !script->Register(registry_, Target())) return kClassRegistrationFailed;
  }
  return host_.RegisterTypeLibrary(Target());
}

int32_t SelfRegistration::UnregisterClasses() {
  // Everything is undone that can be; the first failure is the answer.
  int32_t result = host_.UnregisterTypeLibrary(Target());
  for (const int resource : {ORRA_CLASS_SCRIPT_RESOURCE, ORRA_APPLICATION_SCRIPT_RESOURCE}) {
    const std::optional<RegistrarScript> script = Script(resource);
    if ((!script || !script->Unregister(registry_, Target())) && !Failed(result)) result = kClassRegistrationFailed;
  }
  return result;
}

int32_t SelfRegistration::Register() {
  WriteComAddinEntry();
  const std::u16string directory = DirectoryOf(host_.ModulePath());
  const std::u16string entry = StartupEntry(directory);
  host_.MakeCurrentDirectory(directory);
  WriteStartupEntries(entry);
  return RegisterClasses();
}

int32_t SelfRegistration::Unregister() {
  registry_.DeleteTree(RegistryRoot::kCurrentUser, kComAddinPath);
  DeleteStartupEntries();
  return UnregisterClasses();
}

int32_t SelfRegistration::Install(bool install, std::optional<std::u16string_view> command_line) {
  if (command_line && EqualsIgnoringAsciiCase(*command_line, u"user")) per_user_ = true;
  if (!install) return Unregister();
  const int32_t result = Register();
  if (Failed(result)) Unregister();
  return result;
}

}  // namespace orra
