#include "tools/package_skin.h"

#include "tools/skin/skin_check.h"
#include "tools/skin/skin_container.h"
#include "ui/framework/packed_skin.h"

bool CheckSkinFile(std::string_view bytes, SkinSummary& summary,
                   std::vector<std::string>& problems) {
  summary = SkinSummary();
  std::string container(bytes);
  if (!UnpackSkinContainer(container)) {
    problems.push_back("is a packed skin container (\".uiz\") whose deflated container is damaged");
    return false;
  }
  summary.packed = bytes.substr(0, 4) == ".uiz";
  summary.container_bytes = container.size();
  SkinContainer skin;
  std::string error;
  if (!ParseSkinContainer(container, skin, error)) {
    problems.push_back("is not a skin container: " + error);
    return false;
  }
  const SkinReport report = CheckSkin(skin);
  for (const std::string& problem : report.problems) {
    problems.push_back("fails the skin checks: " + problem);
  }
  summary.records = skin.records.size();
  summary.drawn_entries = report.drawn_entries;
  return report.problems.empty();
}
