#include "tools/pack_command.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <map>

#include "setup/base64.h"
#include "setup/dotted_version.h"
#include "setup/package_format.h"
#include "tools/host_system.h"
#include "tools/icon_file.h"
#include "tools/package_skin.h"
#include "tools/payload_tree.h"
#include "tools/pe_resources.h"
#include "tools/pe_stub.h"
#include "tools/pending_file.h"
#include "tools/progress_bar.h"
#include "tools/signed_uninstaller.h"
#include "tools/text_checks.h"
#include "tools/texts_file.h"
#include "tools/tool_files.h"
#include "tools/version_resource.h"
#include "tools/zip_writer.h"

namespace {

std::string UncomparableVersionText(const std::string& source, const std::string& version) {
  return source + " '" + version + "' cannot be compared with other versions; give " + kVersionForm;
}

// A shortcut name that ends in ".lnk" (in any case) would make "NAME.lnk.lnk": refused, with the
// option as it should be written.
std::string LinkSuffixProblem(const std::string& option, const ShortcutSpec& shortcut) {
  const std::string& name = shortcut.name;
  if (name.size() < 4 || FoldNameCase(name.substr(name.size() - 4)) != FoldNameCase(".lnk")) {
    return std::string();
  }
  return "the name ends in \".lnk\", which the setup adds itself; give " + option + " " +
         name.substr(0, name.size() - 4) + "=" + shortcut.file;
}

bool ParseShortcut(const std::string& option, const std::string& value,
                   std::vector<ShortcutSpec>& list, std::string& problem) {
  const size_t equals = value.find('=');
  if (equals == std::string::npos || equals == 0 || equals + 1 == value.size()) {
    problem = option + " '" + value + "': expected NAME=PATH, for example Velto=Velto.exe";
    return false;
  }
  list.push_back({value.substr(0, equals), value.substr(equals + 1)});
  return true;
}

bool ParseProgress(const std::string& value, ProgressMode& mode, std::string& problem) {
  if (value == "auto") {
    mode = ProgressMode::kAuto;
  } else if (value == "always") {
    mode = ProgressMode::kAlways;
  } else if (value == "never") {
    mode = ProgressMode::kNever;
  } else {
    problem = "--progress '" + value + "': expected auto, always or never";
    return false;
  }
  return true;
}

bool ParseScope(const std::string& value, PackageScope& scope, std::string& problem) {
  if (ParseScopeName(value, scope)) return true;
  problem = "--scope '" + value + "': expected user, machine or both";
  return false;
}

bool ParseShortcutsOption(const std::string& value, ShortcutPlace& place, std::string& problem) {
  if (ParseShortcutPlace(value, place)) return true;
  problem = "--shortcuts '" + value + "': expected all-users or current-user";
  return false;
}

// Collects the problems of the text options: lastrun and shortcut entries.
void CheckTextOptions(const PackOptions& options, std::vector<std::string>& problems) {
  auto check_path = [&](const std::string& what, const std::string& path) {
    if (!IsValidUtf8(path)) problems.push_back(what + " is not valid UTF-8");
    if (path.empty() || path[0] == '/' || path[0] == '\\' || path.find(':') != std::string::npos) {
      problems.push_back(what + " '" + path + "' is not a path relative to the install folder");
    }
  };
  check_path("--lastrun", options.lastrun);
  if (!options.product_version.empty()) {
    const std::string& version = options.product_version;
    const bool control = std::any_of(version.begin(), version.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    if (!IsValidUtf8(version) || control) {
      problems.push_back("--product-version '" + version +
                         "' is not one line of UTF-8 text, as \"Apps & features\" shows it");
    } else if (!IsComparableVersion(version)) {
      problems.push_back(UncomparableVersionText("--product-version", version));
    }
  }
  for (const auto* list : {&options.desktop, &options.taskbar}) {
    const std::string option = list == &options.desktop ? "--desktop" : "--taskbar";
    for (const ShortcutSpec& shortcut : *list) {
      const std::string what = option + " '" + shortcut.name + "=" + shortcut.file + "'";
      if (!IsValidUtf8(shortcut.name)) {
        problems.push_back(what + ": the name is not valid UTF-8");
      } else if (std::string problem = WindowsNameProblem(shortcut.name); !problem.empty()) {
        problems.push_back(what + ": the name " + problem);
      } else if (std::string refusal = LinkSuffixProblem(option, shortcut); !refusal.empty()) {
        problems.push_back(what + ": " + refusal);
      }
      check_path(what + ": the target", shortcut.file);
    }
  }
}

void CheckTargetsInPayload(const PackOptions& options, const PayloadTree& tree,
                           std::vector<std::string>& problems) {
  if (!PayloadHasFile(tree, options.lastrun)) {
    problems.push_back("--lastrun '" + options.lastrun + "' is not a file of the payload");
  }
  for (const auto* list : {&options.desktop, &options.taskbar}) {
    const std::string option = list == &options.desktop ? "--desktop" : "--taskbar";
    for (const ShortcutSpec& shortcut : *list) {
      if (!PayloadHasFile(tree, shortcut.file)) {
        problems.push_back(option + " '" + shortcut.name + "': target '" + shortcut.file +
                           "' is not a file of the payload");
      }
    }
  }
}

// Two shortcuts of one list whose names Windows takes for the same file name.
void CheckDuplicateShortcuts(const PackOptions& options, std::vector<std::string>& problems) {
  for (const auto* list : {&options.desktop, &options.taskbar}) {
    const std::string option = list == &options.desktop ? "--desktop" : "--taskbar";
    std::map<std::string, std::string> seen;  // folded name -> the name as first given
    for (const ShortcutSpec& shortcut : *list) {
      if (!IsValidUtf8(shortcut.name)) continue;
      const auto [first, added] = seen.emplace(FoldNameCase(shortcut.name), shortcut.name);
      if (!added) {
        problems.push_back(option + " '" + shortcut.name + "': the name is given twice ('" +
                           first->second + "' before it); shortcut names compare ignoring case");
      }
    }
  }
}

// One line of UTF-8 text, as an Uninstall entry value shows it.
bool IsOneLine(const std::string& text) {
  return IsValidUtf8(text) && std::none_of(text.begin(), text.end(), [](char c) {
           return static_cast<unsigned char>(c) < 0x20;
         });
}

void CheckProductOptions(const ProductOptions& product, std::vector<std::string>& problems) {
  if (!product.given) return;
  if (product.name.empty()) {
    problems.push_back(
        "--product-name is required with --product-id, --publisher, --help-link, --language and "
        "--remove-on-uninstall");
  } else if (std::string why = ProductNameProblem(product.name); !why.empty()) {
    problems.push_back("--product-name '" + product.name + "' " + why);
  } else if (std::string why = ProductIdProblem(IdentityOf(product).id); !why.empty()) {
    problems.push_back(product.id.empty() ? "--product-name '" + product.name +
                                                "' cannot serve as the product id, which " + why +
                                                "; give --product-id"
                                          : "--product-id '" + product.id + "' " + why);
  }
  for (const auto& [option, value] : {std::pair{"--publisher", &product.publisher},
                                      std::pair{"--help-link", &product.help_link}}) {
    if (!IsOneLine(*value)) {
      problems.push_back(std::string(option) + " '" + *value + "' is not one line of UTF-8 text");
    }
  }
  for (const std::string& path : product.remove_on_uninstall) {
    if (std::string why = RemovePathProblem(path); !why.empty()) {
      problems.push_back("--remove-on-uninstall '" + path + "' " + why);
    }
  }
}

// Reads and checks the --icon file into `icon` (left empty without --icon or when it is bad).
void ReadIcon(const PackOptions& options, std::vector<IconImage>& icon,
              std::vector<std::string>& problems) {
  if (options.icon.empty()) return;
  std::string bytes;
  std::string problem;
  if (!ReadFileBytes(options.icon, bytes, problem)) {
    problems.push_back("--icon '" + options.icon + "': " + problem);
  } else if (!ParseIconFile(bytes, icon, problem)) {
    problems.push_back("--icon '" + options.icon + "' " + problem);
    icon.clear();
  }
}

// Reads the stub, checks it and requires the setup program's marker; with an icon, writes it
// into the stub's resources. `image` then describes the final bytes in `stub`.
void PrepareStub(const PackOptions& options, const std::vector<IconImage>& icon, std::string& stub,
                 StubImage& image, std::vector<std::string>& problems) {
  std::string problem;
  const std::string what = "stub '" + options.stub + "'";
  ResourceNode resources;
  if (!ReadFileBytes(options.stub, stub, problem)) {
    problems.push_back(what + ": " + problem);
  } else if (problem = CheckStub(stub, image); !problem.empty()) {
    problems.push_back(what + " " + problem);
  } else if (!ReadResourceTree(stub, resources, problem)) {
    problems.push_back(what + " " + problem);
  } else if (!HasSetupMarker(resources)) {
    problems.push_back(what +
                       " is not a Brindle setup program (it has no BRINDLE_SETUP marker "
                       "resource); give the setup program, for example build/win/app/"
                       "BrindleSetup.exe");
  } else if (!icon.empty()) {
    SetProgramIcon(resources, icon);
    if (!ReplaceResourceTree(stub, resources, problem) ||
        !(problem = CheckStub(stub, image)).empty()) {
      problems.push_back(what + " cannot take the icon: it " + problem);
    }
  }
}

// Reads and checks the --skin file into `skin`.
void ReadSkin(const PackOptions& options, std::string& skin, std::vector<std::string>& problems) {
  if (options.skin.empty()) return;
  std::string problem;
  if (!ReadFileBytes(options.skin, skin, problem)) {
    problems.push_back("--skin '" + options.skin + "': " + problem);
    return;
  }
  SkinSummary summary;
  std::vector<std::string> skin_problems;
  if (!CheckSkinFile(skin, summary, skin_problems)) {
    for (const std::string& text : skin_problems) {
      problems.push_back("--skin '" + options.skin + "' " + text);
    }
  }
}

bool WriteAll(FILE* stream, const void* data, size_t size) {
  return std::fwrite(data, 1, size, stream) == size;
}

// Writes stub (with P at e_lfanew - 4), L, config, Z and the archive copied from `archive`, then
// the CheckSum of the whole file into the stub's header.
bool WritePackage(FILE* out, std::string stub, const StubImage& image, const std::string& config,
                  FILE* archive, uint32_t archive_length) {
  StoreU32(image.image_size, reinterpret_cast<unsigned char*>(&stub[image.lfanew - 4]));
  std::string header;
  AppendU32(static_cast<uint32_t>(config.size()), header);
  header += config;
  AppendU32(archive_length, header);
  PeChecksum checksum(ChecksumFieldOffset(image.lfanew));
  checksum.Add(stub.data(), stub.size());
  checksum.Add(header.data(), header.size());
  if (!WriteAll(out, stub.data(), stub.size()) || !WriteAll(out, header.data(), header.size())) {
    return false;
  }
  std::rewind(archive);
  std::vector<char> chunk(256 * 1024);
  uint64_t copied = 0;
  for (size_t read; (read = std::fread(chunk.data(), 1, chunk.size(), archive)) > 0;) {
    if (!WriteAll(out, chunk.data(), read)) return false;
    checksum.Add(chunk.data(), read);
    copied += read;
  }
  if (std::ferror(archive) || copied != archive_length) return false;
  unsigned char field[4];
  StoreU32(checksum.Value(), field);
  return std::fseek(out, static_cast<long>(ChecksumFieldOffset(image.lfanew)), SEEK_SET) == 0 &&
         WriteAll(out, field, sizeof field) && std::fseek(out, 0, SEEK_END) == 0;
}

void PrintAll(FILE* err, const char* kind, const std::vector<std::string>& messages) {
  for (const std::string& message : messages) {
    std::fprintf(err, "brindle-pack: %s: %s\n", kind, message.c_str());
  }
}

// The product version for the config: --product-version, or else the version resource of the
// --lastrun program when the payload holds it and it has one.
std::string ProductVersion(const PackOptions& options, const PayloadTree& tree) {
  if (!options.product_version.empty()) return options.product_version;
  const PayloadEntry* lastrun = FindPayloadFile(tree, options.lastrun);
  if (!lastrun) return std::string();
  StreamByteSource program(lastrun->source);
  return program.IsOpen() ? ReadProductVersion(program) : std::string();
}

// The archive's length, or -1 with `problem` set.
int64_t FileLength(FILE* file, const std::string& path, std::string& problem) {
  const int64_t length = SeekFile(file, 0, SEEK_END) ? TellFile(file) : -1;
  if (length < 0) problem = "'" + path + "': " + std::strerror(errno);
  return length;
}

// Puts the complete package in place as `output`: unchanged, or signed into another pending file
// first, so that `output` is replaced only by a finished (and, when asked, signed) file.
bool PutInPlace(const PackOptions& options, PendingFile& package, std::string& problem) {
  if (!options.signing.Requested()) return package.Commit(options.output, true, problem);
  PendingFile signed_package;
  if (!package.Close() || !signed_package.Create(options.output, "signed", problem) ||
      !signed_package.Vacate()) {
    if (problem.empty()) problem = "'" + options.output + "': " + std::strerror(errno);
    return false;
  }
  if (!SignFile(options.signing, package.path(), signed_package.path(), problem)) {
    problem = "'" + options.output + "' cannot be signed: " + problem;
    return false;
  }
  return signed_package.Commit(options.output, true, problem);
}

// The field of a single-valued identity option, or null.
std::string* ProductField(const std::string& option, ProductOptions& product) {
  const std::pair<const char*, std::string*> fields[] = {
      {"--product-id", &product.id},       {"--product-name", &product.name},
      {"--publisher", &product.publisher}, {"--help-link", &product.help_link},
      {"--language", &product.language},
  };
  for (const auto& [name, field] : fields) {
    if (option == name) return field;
  }
  return nullptr;
}

}  // namespace

ProductIdentity IdentityOf(const ProductOptions& options) {
  ProductIdentity identity;
  identity.id = options.id.empty() ? options.name : options.id;
  identity.name = options.name;
  identity.publisher = options.publisher;
  identity.help_link = options.help_link;
  identity.language = options.language;
  identity.remove_on_uninstall = options.remove_on_uninstall;
  return identity;
}

bool ParsePackOptions(const std::vector<std::string>& arguments, PackOptions& options,
                      std::string& problem) {
  options = PackOptions{};
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string option = arguments[i];
    std::string value;
    const size_t equals = option.find('=');
    const bool inline_value = option.rfind("--", 0) == 0 && equals != std::string::npos;
    if (inline_value) {
      value = option.substr(equals + 1);
      option.resize(equals);
    } else if (i + 1 < arguments.size()) {
      value = arguments[i + 1];
    }
    const bool has_value = inline_value || i + 1 < arguments.size();
    std::string* target = nullptr;
    if (option == "--stub") {
      target = &options.stub;
    } else if (option == "--payload") {
      target = &options.payload;
    } else if (option == "--licence" || option == "--license") {
      target = &options.licence;
    } else if (option == "--lastrun") {
      target = &options.lastrun;
    } else if (option == "-o" || option == "--output") {
      target = &options.output;
    } else if (option == "--product-version") {
      target = &options.product_version;
    } else if (option == "--skin") {
      target = &options.skin;
    } else if (option == "--icon") {
      target = &options.icon;
    } else if (std::string* field = SigningOptionField(option, options.signing)) {
      target = field;
    } else if (std::string* field = ProductField(option, options.product)) {
      target = field;
      options.product.given = true;
    } else if (option == "--remove-on-uninstall") {
      options.product.given = true;
    } else if (option != "--desktop" && option != "--taskbar" && option != "--progress" &&
               option != "--scope" && option != "--texts" && option != "--shortcuts") {
      problem = "unknown option '" + arguments[i] + "'";
      return false;
    }
    if (!has_value) {
      problem = "option " + option + " needs a value";
      return false;
    }
    if (!inline_value) ++i;
    if (target) {
      *target = value;
    } else if (option == "--remove-on-uninstall") {
      options.product.remove_on_uninstall.push_back(value);
    } else if (option == "--texts") {
      options.texts.push_back(value);
    } else if (option == "--progress") {
      if (!ParseProgress(value, options.progress, problem)) return false;
    } else if (option == "--scope") {
      if (!ParseScope(value, options.scope, problem)) return false;
    } else if (option == "--shortcuts") {
      if (!ParseShortcutsOption(value, options.shortcuts, problem)) return false;
    } else if (!ParseShortcut(option, value,
                              option == "--desktop" ? options.desktop : options.taskbar, problem)) {
      return false;
    }
  }
  const std::pair<const char*, const std::string*> required[] = {
      {"--stub", &options.stub},       {"--payload", &options.payload},
      {"--licence", &options.licence}, {"--lastrun", &options.lastrun},
      {"--output", &options.output},
  };
  for (const auto& [name, value] : required) {
    if (value->empty()) {
      problem = std::string("option ") + name + " is required";
      return false;
    }
  }
  return true;
}

JsonValue MakeSetupConfig(const std::string& lastrun, const std::string& licence_text,
                          const std::vector<ShortcutSpec>& desktop,
                          const std::vector<ShortcutSpec>& taskbar, const std::string& version) {
  JsonValue config;
  config["mode"] = 1;
  if (!version.empty()) config["version"] = JsonValue(version);
  config["lastrun"] = JsonValue(lastrun);
  config["protocol"] = JsonValue(Base64EncodeBytes(licence_text));
  JsonValue& shortcut = config["shortcut"];
  for (const auto& [key, list] : {std::pair{"desktop", &desktop}, std::pair{"taskbar", &taskbar}}) {
    JsonValue& entries = shortcut[key];
    entries = JsonValue(JsonKind::Array);
    for (size_t i = 0; i < list->size(); ++i) {
      entries[i]["file"] = JsonValue((*list)[i].file);
      entries[i]["name"] = JsonValue((*list)[i].name);
    }
  }
  return config;
}

int RunPack(const PackOptions& options, FILE* out, FILE* err) {
  std::vector<std::string> problems;
  std::vector<std::string> warnings;

  std::vector<IconImage> icon;
  ReadIcon(options, icon, problems);
  std::string stub;
  StubImage image;
  PrepareStub(options, icon, stub, image, problems);

  std::string problem;
  std::string licence_bytes;
  std::string licence_text;
  if (!ReadFileBytes(options.licence, licence_bytes, problem)) {
    problems.push_back("licence '" + options.licence + "': " + problem);
  } else if (!NormaliseLicenceText(licence_bytes, licence_text, problem)) {
    problems.push_back("licence '" + options.licence + "' " + problem);
  } else if (licence_text.empty()) {
    warnings.push_back("licence '" + options.licence + "' is empty");
  }

  std::string skin;
  ReadSkin(options, skin, problems);
  CheckTextOptions(options, problems);
  CheckDuplicateShortcuts(options, problems);
  CheckProductOptions(options.product, problems);
  const std::vector<JsonValue> translations = ReadTranslations(options.texts, problems);
  CheckLanguageOption(options.product.language, translations, problems, warnings);
  CheckSigningOptions(options.signing, problems);
  std::vector<std::string> payload_problems;
  const PayloadTree tree = ScanPayload(options.payload, payload_problems);
  if (payload_problems.empty()) CheckTargetsInPayload(options, tree, problems);
  problems.insert(problems.end(), payload_problems.begin(), payload_problems.end());
  PrintAll(err, "warning", warnings);
  if (!problems.empty()) {
    PrintAll(err, "error", problems);
    return 1;
  }

  const std::string version = ProductVersion(options, tree);
  if (!version.empty() && !IsComparableVersion(version)) {
    PrintAll(err, "warning",
             {UncomparableVersionText("the version resource of --lastrun", version) +
              "; a setup of another version will not know which is newer"});
  }
  JsonValue config_value =
      MakeSetupConfig(options.lastrun, licence_text, options.desktop, options.taskbar, version);
  if (options.product.given) WriteProductIdentity(IdentityOf(options.product), config_value);
  if (options.scope != PackageScope::kMachine) WritePackageScope(options.scope, config_value);
  WriteTranslations(translations, config_value);
  WriteShortcutPlace(options.shortcuts, config_value);
  if (!options.skin.empty()) config_value[kSkinMember] = JsonValue(Base64EncodeBytes(skin));
  if (options.signing.Requested() && !AddSignedUninstaller(options.signing, stub, image.lfanew,
                                                           options.output, config_value, problem)) {
    PrintAll(err, "error", {"'" + options.output + "': " + problem});
    return 1;
  }
  const std::string config = FormatPackageConfig(config_value);
  if (config.size() > std::numeric_limits<uint32_t>::max()) {
    PrintAll(err, "error",
             {"the package config (the licence '" + options.licence +
              "' and the skin, in Base64) is larger than the 4294967295 bytes a package can hold"});
    return 1;
  }
  PendingFile archive;
  PendingFile package;
  if (!archive.Create(options.output, "zip", problem) || !archive.Close() ||
      !package.Create(options.output, "tmp", problem)) {
    PrintAll(err, "error", {problem.empty() ? std::string(std::strerror(errno)) : problem});
    return 1;
  }
  const bool show_progress = options.progress == ProgressMode::kAlways ||
                             (options.progress == ProgressMode::kAuto && IsTerminal(err));
  {
    ProgressBar bar(err, show_progress, tree.file_count, tree.total_bytes);
    const bool zipped = WriteZipArchive(
        tree, archive.path(), [&bar](uint64_t files, uint64_t bytes) { bar.Update(files, bytes); },
        problem);
    bar.Finish();
    if (!zipped) {
      PrintAll(err, "error", {problem});
      return 1;
    }
  }
  FILE* archive_stream = OpenFile(archive.path(), "rb");
  const int64_t archive_length =
      archive_stream ? FileLength(archive_stream, archive.path(), problem) : -1;
  bool written = false;
  if (archive_length > std::numeric_limits<uint32_t>::max()) {
    problem = "payload '" + options.payload + "': its archive of " +
              std::to_string(archive_length) +
              " bytes is larger than the 4294967295 bytes a setup package can hold";
  } else if (archive_length >= 0) {
    written = WritePackage(package.stream(), stub, image, config, archive_stream,
                           static_cast<uint32_t>(archive_length));
    if (!written) problem = "'" + options.output + "': cannot be written: " + std::strerror(errno);
  } else if (problem.empty()) {
    problem = "'" + archive.path() + "': " + std::strerror(errno);
  }
  if (archive_stream) std::fclose(archive_stream);
  if (!written || !PutInPlace(options, package, problem)) {
    PrintAll(err, "error", {problem});
    return 1;
  }
  const uint64_t total =
      uint64_t{image.image_size} + 8 + config.size() + static_cast<uint64_t>(archive_length);
  std::fprintf(out,
               "packed %llu files in %zu entries (%llu bytes) into %s: %llu bytes, package "
               "offset %u, config %zu bytes, archive %llu bytes%s\n",
               static_cast<unsigned long long>(tree.file_count), tree.entries.size(),
               static_cast<unsigned long long>(tree.total_bytes), options.output.c_str(),
               static_cast<unsigned long long>(total), image.image_size, config.size(),
               static_cast<unsigned long long>(archive_length),
               options.signing.Requested() ? ", then signed" : "");
  if (!version.empty()) std::fprintf(out, "product version %s\n", version.c_str());
  return 0;
}
