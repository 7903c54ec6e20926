// brindle-pack: packs, signs and inspects setup packages. See tools/README.md.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/host_system.h"
#include "tools/inspect_command.h"
#include "tools/manifest_command.h"
#include "tools/option_hints.h"
#include "tools/pack_command.h"
#include "tools/sign_command.h"

namespace {

constexpr char kUsage[] =
    "usage:\n"
    "  brindle-pack pack --stub FILE --payload DIR --licence FILE --lastrun PATH\n"
    "                    [--desktop NAME=PATH]... [--taskbar NAME=PATH]...\n"
    "                    [--product-version TEXT] [PRODUCT OPTIONS]\n"
    "                    [--scope user|machine|both] [--shortcuts all-users|current-user]\n"
    "                    [--skin FILE] [--icon FILE.ico]\n"
    "                    [SIGNING OPTIONS]\n"
    "                    [--progress auto|always|never] --output FILE\n"
    "  brindle-pack sign SIGNING OPTIONS [--output FILE] FILE\n"
    "  brindle-pack inspect [--ca FILE] FILE\n"
    "  brindle-pack manifest SETUP.exe --identifier Publisher.Product --url URL [--out DIR]\n"
    "                    [--locale LOCALE] [--license TEXT] [--description TEXT]\n"
    "  brindle-pack COMMAND --help\n"
    "  brindle-pack --help\n";

constexpr char kHelp[] =
    "\n"
    "pack: writes a setup package: the stub's program image, the package config and a ZIP\n"
    "archive of the payload folder. The same inputs always give the same bytes.\n"
    "  --stub FILE          the setup program (build/win/app/BrindleSetup.exe): an x86 or x64\n"
    "                       PE with the BRINDLE_SETUP marker resource, linked with -s (nothing\n"
    "                       may follow its last section) and without a package\n"
    "  --payload DIR        the folder whose content is installed into the install folder\n"
    "  --licence FILE       the licence text shown before installing: UTF-8, any line breaks\n"
    "                       (stored with CR LF); --license is accepted too\n"
    "  --lastrun PATH       the program the finish window starts, relative to the install\n"
    "                       folder (for example Velto.exe); must be a file of the payload\n"
    "  --desktop NAME=PATH  a desktop and start-menu shortcut NAME.lnk to PATH, a file of the\n"
    "                       payload; repeatable, names unique ignoring case\n"
    "  --taskbar NAME=PATH  a Quick Launch shortcut and taskbar pin NAME.lnk to PATH;\n"
    "                       repeatable, as --desktop\n"
    "  --product-version TEXT  the version \"Apps & features\" shows; default: the product\n"
    "                       version of the --lastrun program's version resource, if any\n"
    "product options (without any of them the package installs Velto, as before):\n"
    "  --product-name TEXT  the product's name: Apps & features, the start-menu folder and\n"
    "                       link, the folder under Program Files, the setup's texts; required\n"
    "                       with any other product option\n"
    "  --product-id ID      the product's key (its Uninstall subkey, named objects): letters,\n"
    "                       digits, '.', '_', '-'; default: the name, when it is one\n"
    "  --publisher TEXT     the Uninstall entry's Publisher\n"
    "  --help-link URL      the Uninstall entry's HelpLink\n"
    "  --language LANG      the setup's texts: zh (default), en, the tag of a --texts file, or\n"
    "                       auto (the user's UI language when carried, else its language\n"
    "                       without region, else English)\n"
    "  --texts FILE         a translation (UTF-8 JSON: \"language\" and every text id, see\n"
    "                       tools/README.md), checked against the English texts; repeatable\n"
    "  --remove-on-uninstall PATH  a file in the user's application data folder that the\n"
    "                       uninstall removes, for example Mossbank\\settings.ini; repeatable\n"
    "  --scope SCOPE        for whom it installs: machine (default: every user, Program Files,\n"
    "                       elevation), user (the user's own programs folder and Uninstall\n"
    "                       key, no elevation) or both (/CURRENTUSER or the page chooses)\n"
    "  --shortcuts PLACE    whose desktop and start menu a machine install uses: current-user\n"
    "                       (default: the account that runs it; the all-users folders when\n"
    "                       that is LocalSystem, as under Intune) or all-users (always)\n"
    "  --skin FILE          a skin container (.uir, or .uiz packed) from the skin tools, checked\n"
    "                       as brindle-skin-check does; the setup uses it for its windows\n"
    "  --icon FILE.ico      the setup program's icon, written into the stub's resources\n"
    "  --progress MODE      progress bar on stderr when packing takes over a second: auto\n"
    "                       (when stderr is a terminal, the default), always or never\n"
    "  -o, --output FILE    the setup package to write; replaced only when packing succeeds\n"
    "  With --cert, the package is signed before it replaces the output.\n"
    "\n"
    "sign: signs a setup package with an Authenticode signature (SHA-256) through osslsigncode;\n"
    "the signature is appended behind the package. Replaces FILE, or writes --output.\n"
    "signing options:\n"
    "  --cert FILE          a PKCS#12 file (.p12, .pfx) with key and certificate, or the\n"
    "                       certificates (PEM or DER) when --key is given\n"
    "  --key FILE           the private key (PEM or DER) for certificates given by --cert\n"
    "  --password-file FILE the key's password, on the file's first line\n"
    "  --password-env NAME  the key's password, in the environment variable NAME\n"
    "  --timestamp URL      an RFC 3161 time-stamp server; none by default\n"
    "  (osslsigncode from PATH, or the program named by BRINDLE_OSSLSIGNCODE)\n"
    "\n"
    "inspect: prints the package offset, the config, the version, the licence, the product, the\n"
    "skin, the setup marker, the icon and the archive entries of a setup package (or the\n"
    "recorded paths of an uninstaller copy), checks every entry's CRC-32, or names the rule of\n"
    "the package layout that the file breaks; then the signature: its signer, whether the file "
    "still matches it and whether its certificate is\n"
    "trusted (by the system's CA certificates, or by those of --ca FILE).\n"
    "\n"
    "\n"
    "manifest: writes the three files of a winget manifest (schema 1.10.0) for a packed setup\n"
    "package into DIR (default: the current folder): Publisher.Product.yaml,\n"
    "Publisher.Product.locale.LOCALE.yaml and Publisher.Product.installer.yaml, with the\n"
    "package's SHA-256, scope, switches, product code and every exit code. The package must\n"
    "state a version (--product-version) and a publisher (--publisher).\n"
    "  --identifier ID      winget's PackageIdentifier: two to eight parts joined by dots\n"
    "  --url URL            where winget downloads the setup package (http or https)\n"
    "  --out DIR            an existing folder for the three files\n"
    "  --locale LOCALE      the default locale (default en-US)\n"
    "  --license TEXT       the License field (default Proprietary)\n"
    "  --description TEXT   the ShortDescription field (default: the product's name)\n"
    "\n"
    "exit status: 0 success, 1 bad input, a broken package, a file changed after signing or a\n"
    "failed signing, 2 wrong usage\n";

int UsageError(const std::string& problem) {
  std::fprintf(stderr, "brindle-pack: %s\n%s", problem.c_str(), kUsage);
  return 2;
}

int PrintHelp() {
  std::fputs(kUsage, stdout);
  std::fputs(kHelp, stdout);
  return 0;
}

bool AsksForHelp(const std::vector<std::string>& options) {
  for (const std::string& option : options) {
    if (option == "--help" || option == "-h") return true;
  }
  return false;
}

int Inspect(const std::vector<std::string>& arguments) {
  std::string ca_file;
  std::vector<std::string> files;
  for (size_t i = 1; i < arguments.size(); ++i) {
    if (arguments[i] == "--ca" && i + 1 < arguments.size()) {
      ca_file = arguments[++i];
    } else if (arguments[i].rfind("--ca=", 0) == 0) {
      ca_file = arguments[i].substr(5);
    } else if (arguments[i].rfind("-", 0) == 0) {
      return UsageError("unknown or incomplete option '" + arguments[i] + "'");
    } else {
      files.push_back(arguments[i]);
    }
  }
  if (files.size() != 1) return UsageError("inspect takes exactly one file");
  return RunInspect(files[0], ca_file, stdout, stderr);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments = ProgramArguments(argc, argv);
  if (arguments.empty()) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string& command = arguments[0];
  const std::vector<std::string> options(arguments.begin() + 1, arguments.end());
  std::string problem;
  if (command == "--help" || command == "-h" || command == "help") return PrintHelp();
  const bool known_command =
      command == "inspect" || command == "pack" || command == "sign" || command == "manifest";
  if (known_command && AsksForHelp(options)) return PrintHelp();
  if (known_command) {
    const std::string mistyped =
        MistypedOptionProblem(options, OptionsNamedIn(std::string(kUsage) + kHelp));
    if (!mistyped.empty()) return UsageError(mistyped);
  }
  if (command == "inspect") return Inspect(arguments);
  if (command == "manifest") {
    ManifestOptions manifest;
    if (!ParseManifestOptions(options, manifest, problem)) return UsageError(problem);
    return RunManifest(manifest, stdout, stderr);
  }
  if (command == "pack") {
    PackOptions pack;
    if (!ParsePackOptions(options, pack, problem)) return UsageError(problem);
    return RunPack(pack, stdout, stderr);
  }
  if (command == "sign") {
    SignCommandOptions sign;
    if (!ParseSignOptions(options, sign, problem)) return UsageError(problem);
    return RunSign(sign, stdout, stderr);
  }
  return UsageError("unknown command '" + command + "'");
}
