#include "tools/skin/skin_check.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>

#include "json/json_reader.h"
#include "json/json_value.h"
#include "json/json_writer.h"
#include "tools/skin/png_header.h"

namespace {

// The DPI of a skin's rectangles and of its images, and the highest DPI a rendering may have.
constexpr int64_t kBaseDpi = 96;
constexpr int64_t kMaxSheetDpi = 480;

bool IsInt(const JsonValue& value) { return value.kind() == JsonKind::Integer; }

// True when `value` is an array of `count` integers.
bool IsIntArray(const JsonValue& value, size_t count) {
  if (value.kind() != JsonKind::Array || value.size() != count) {
    return false;
  }
  for (size_t i = 0; i < count; ++i) {
    if (!IsInt(value[i])) {
      return false;
    }
  }
  return true;
}

std::string ArrayText(const JsonValue& value) {
  std::string text = JsonWriter().write(value);
  text.pop_back();  // the writer's "\n"
  return text;
}

// Index of the first byte where `a` and `b` differ.
size_t FirstDifference(const std::string& a, const std::string& b) {
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) {
    ++i;
  }
  return i;
}

class Checker {
 public:
  explicit Checker(const SkinContainer& skin) : skin_(skin) {}

  SkinReport Run() {
    JsonValue description;
    if (ReadDescription(description)) {
      CheckResources(description["res"]);
      CheckRenderings(description["res"]["images"]);
      const JsonValue& cfg = description["cfg"];
      if (cfg.kind() == JsonKind::Object) {
        WalkEntries(cfg, "cfg");
      } else {
        Problem("the description has no object \"cfg\"");
      }
    }
    for (uint32_t id : skin_.repeated_ids) {
      Problem("record " + std::to_string(id) + " occurs more than once");
    }
    return std::move(report_);
  }

 private:
  void Problem(std::string text) { report_.problems.push_back(std::move(text)); }

  // Parses the description; false when nothing more can be checked.
  bool ReadDescription(JsonValue& description) {
    const std::string& text = skin_.text;
    if (text.size() < 2 || text.compare(text.size() - 2, 2, std::string("\n\0", 2)) != 0 ||
        text.find('\0') != text.size() - 1) {
      Problem("the description must end with a line feed and one NUL byte, its only NUL");
    }
    JsonReader reader;
    if (!reader.parse(text.c_str(), description)) {
      Problem("the description does not parse: " + reader.message() + " (byte " +
              std::to_string(reader.errorOffset()) + ")");
      return false;
    }
    if (description.kind() != JsonKind::Object) {
      Problem("the description is not a JSON object");
      return false;
    }
    std::string compact = JsonWriter().write(description);
    compact.push_back('\0');
    if (compact != text) {
      Problem(
          "the description is not in the JSON writer's compact form (first difference at byte " +
          std::to_string(FirstDifference(compact, text)) + ")");
    }
    return true;
  }

  void CheckResources(const JsonValue& res) {
    if (res.kind() != JsonKind::Object) {
      Problem("the description has no object \"res\"");
      return;
    }
    std::set<uint32_t> listed;
    for (const std::string& section : res.memberNames()) {
      const JsonValue& entries = res[section];
      if (entries.kind() != JsonKind::Array) {
        Problem("res/" + section + " is not an array");
        continue;
      }
      for (size_t i = 0; i < entries.size(); ++i) {
        const std::string where = "res/" + section + "[" + std::to_string(i) + "]";
        const JsonValue& id = entries[i]["id"];
        if (!IsInt(id) || id.toInt64() < 0 || id.toInt64() > UINT32_MAX) {
          Problem(where + " has no unsigned 32-bit integer \"id\"");
          continue;
        }
        const auto record_id = static_cast<uint32_t>(id.toInt64());
        listed.insert(record_id);
        const auto record = skin_.records.find(record_id);
        if (record == skin_.records.end()) {
          Problem(where + ": record " + std::to_string(record_id) + " is missing");
        } else if (section == "images") {
          CheckImage(where, record_id, record->second, entries[i]);
        } else if (section == "fonts") {
          CheckFont(where, record_id, record->second);
        }
      }
    }
    for (const auto& [id, bytes] : skin_.records) {
      if (listed.count(id) == 0) {
        Problem("record " + std::to_string(id) + " is listed in no \"res\" section");
      }
    }
  }

  // An image entry's "scale": the image is stored at that many times its size (1 to 5).
  void CheckImage(const std::string& where, uint32_t id, const std::string& bytes,
                  const JsonValue& entry) {
    PngHeader header;
    if (!ReadPngHeader(bytes, header)) {
      Problem(where + ": image " + std::to_string(id) + " is not a PNG file");
      return;
    }
    if (header.bit_depth != 8 || header.colour_type != kPngColourTypeRgba) {
      Problem(where + ": image " + std::to_string(id) + " has bit depth " +
              std::to_string(header.bit_depth) + " and colour type " +
              std::to_string(header.colour_type) + "; it must be 8-bit RGBA (colour type 6)");
      return;
    }
    int64_t scale = 1;
    if (entry.hasMember("scale")) {
      scale = IsInt(entry["scale"]) ? entry["scale"].toInt64() : 0;
      if (scale < 1 || scale > kMaxSheetDpi / kBaseDpi) {
        Problem(where + ": \"scale\" is an integer from 1 to " +
                std::to_string(kMaxSheetDpi / kBaseDpi));
        return;
      }
      if (scale > 1 && (entry.hasMember("base") || entry.hasMember("dpi"))) {
        Problem(where + ": a rendering (\"base\", \"dpi\") has no \"scale\"");
        return;
      }
      if (header.width % scale != 0 || header.height % scale != 0) {
        Problem(where + ": image " + std::to_string(id) + " is " + std::to_string(header.width) +
                " x " + std::to_string(header.height) + ", not a multiple of its scale " +
                std::to_string(scale));
        return;
      }
    }
    header.width = static_cast<decltype(header.width)>(header.width / scale);
    header.height = static_cast<decltype(header.height)>(header.height / scale);
    images_[id] = header;
  }

  // Entries of "images" with "base" and "dpi": the base image rendered again at that DPI.
  void CheckRenderings(const JsonValue& images) {
    if (images.kind() != JsonKind::Array) {
      return;
    }
    std::set<std::pair<int64_t, int64_t>> seen;
    for (size_t i = 0; i < images.size(); ++i) {
      const JsonValue& entry = images[i];
      if (entry.hasMember("base") || entry.hasMember("dpi")) {
        renderings_.insert(static_cast<uint32_t>(entry["id"].toInt64()));
      }
    }
    for (size_t i = 0; i < images.size(); ++i) {
      const JsonValue& entry = images[i];
      if (!entry.hasMember("base") && !entry.hasMember("dpi")) {
        continue;
      }
      const std::string where = "res/images[" + std::to_string(i) + "]";
      const JsonValue& base = entry["base"];
      const JsonValue& dpi = entry["dpi"];
      if (!IsInt(base) || !IsInt(dpi)) {
        Problem(where + " needs both an integer \"base\" and \"dpi\"");
        continue;
      }
      if (dpi.toInt64() <= kBaseDpi || dpi.toInt64() > kMaxSheetDpi) {
        Problem(where + ": dpi " + std::to_string(dpi.toInt64()) + " is not 97 to 480");
        continue;
      }
      const auto base_image = images_.find(static_cast<uint32_t>(base.toInt64()));
      if (base.toInt64() < 0 || base.toInt64() > UINT32_MAX || base_image == images_.end() ||
          renderings_.count(base_image->first) != 0) {
        Problem(where + ": base " + std::to_string(base.toInt64()) +
                " is no usable 96-DPI \"res\"/\"images\" record");
        continue;
      }
      if (!seen.emplace(base.toInt64(), dpi.toInt64()).second) {
        Problem(where + ": image " + std::to_string(base.toInt64()) + " has a rendering at " +
                std::to_string(dpi.toInt64()) + " DPI already");
      }
      CheckRenderingSize(where, entry["id"].toInt64(), base_image->second, dpi.toInt64());
    }
  }

  // A rendering's sides are its base's scaled to its DPI (rounded half up, as the program
  // scales), within a pixel.
  void CheckRenderingSize(const std::string& where, int64_t id, const PngHeader& base,
                          int64_t dpi) {
    const auto image = images_.find(static_cast<uint32_t>(id));
    if (image == images_.end()) {
      return;  // reported with its record
    }
    const int64_t width = (int64_t{base.width} * dpi + kBaseDpi / 2) / kBaseDpi;
    const int64_t height = (int64_t{base.height} * dpi + kBaseDpi / 2) / kBaseDpi;
    const PngHeader& got = image->second;
    if (std::llabs(got.width - width) > 1 || std::llabs(got.height - height) > 1) {
      Problem(where + ": image " + std::to_string(id) + " is " + std::to_string(got.width) + " x " +
              std::to_string(got.height) + "; its base scaled to " + std::to_string(dpi) +
              " DPI is " + std::to_string(width) + " x " + std::to_string(height));
    }
  }

  void CheckFont(const std::string& where, uint32_t id, const std::string& bytes) {
    JsonValue font;
    JsonReader reader;
    if (bytes.find('\0') != std::string::npos || !reader.parse(bytes.c_str(), font) ||
        font.kind() != JsonKind::Object) {
      Problem(where + ": font " + std::to_string(id) + " is not a JSON object");
      return;
    }
    if (JsonWriter().write(font) != bytes) {
      Problem(where + ": font " + std::to_string(id) + " is not in the JSON writer's compact form");
    }
    fonts_.insert(id);
  }

  void WalkEntries(const JsonValue& node, const std::string& path) {
    static const char* const kEntryKeys[] = {"bi", "fi", "bg", "fg", "mg", "bc", "md"};
    bool is_entry = false;
    for (const char* key : kEntryKeys) {
      is_entry = is_entry || node.hasMember(key);
    }
    if (is_entry) {
      CheckStateEntry(node, path);
    }
    const JsonValue& font = node["ft"];
    if (IsInt(font) && font.toInt64() != 0 &&
        (font.toInt64() < 0 || font.toInt64() > UINT32_MAX ||
         fonts_.count(static_cast<uint32_t>(font.toInt64())) == 0)) {
      Problem(path + "/ft names font " + std::to_string(font.toInt64()) +
              ", which is no usable \"res\"/\"fonts\" record");
    }
    for (const std::string& key : node.memberNames()) {
      if (node[key].kind() == JsonKind::Object) {
        WalkEntries(node[key], path + "/" + key);
      }
    }
  }

  // One half of a state entry: "bi" with "bg" and its companions, or "fi" with "fg".
  struct Half {
    const char* image_key;
    const char* rect_key;
    std::vector<const char*> companions;
  };

  void CheckStateEntry(const JsonValue& entry, const std::string& path) {
    const Half halves[] = {{"bi", "bg", {"mg", "bc", "md"}}, {"fi", "fg", {"fc", "of"}}};
    bool draws = false;
    for (const Half& half : halves) {
      const JsonValue& image = entry[half.image_key];
      if (!IsInt(image) || image.toInt64() == 0) {
        std::vector<const char*> keys = half.companions;
        keys.push_back(half.rect_key);
        for (const char* key : keys) {
          if (entry.hasMember(key)) {
            Problem(path + "/" + key + " is never read: the entry has no \"" + half.image_key +
                    "\"");
          }
        }
        continue;
      }
      draws = true;
      CheckRect(entry, path, half, image.toInt64());
    }
    if (draws) {
      ++report_.drawn_entries;
    }
  }

  void CheckRect(const JsonValue& entry, const std::string& path, const Half& half,
                 int64_t image_id) {
    const auto image = image_id < 0 || image_id > UINT32_MAX
                           ? images_.end()
                           : images_.find(static_cast<uint32_t>(image_id));
    if (image == images_.end() || renderings_.count(image->first) != 0) {
      Problem(path + "/" + half.image_key + " names image " + std::to_string(image_id) +
              ", which is no usable 96-DPI \"res\"/\"images\" record");
      return;
    }
    const JsonValue& rect = entry[half.rect_key];
    if (!IsIntArray(rect, 4)) {
      Problem(path + "/" + half.rect_key + " is not [x, y, w, h]");
      return;
    }
    const int64_t x = rect[0].toInt64(), y = rect[1].toInt64();
    const int64_t w = rect[2].toInt64(), h = rect[3].toInt64();
    const PngHeader& sheet = image->second;
    if (w <= 0 || h <= 0 || x < 0 || y < 0 || x + w > sheet.width || y + h > sheet.height) {
      Problem(path + "/" + half.rect_key + " " + ArrayText(rect) + " does not lie inside the " +
              std::to_string(sheet.width) + " x " + std::to_string(sheet.height) + " image " +
              std::to_string(image_id));
    }
    if (std::string(half.image_key) == "bi" && entry.hasMember("mg")) {
      const JsonValue& margins = entry["mg"];
      const bool fits = IsIntArray(margins, 4) && margins[0].toInt64() >= 0 &&
                        margins[1].toInt64() >= 0 && margins[2].toInt64() >= 0 &&
                        margins[3].toInt64() >= 0 &&
                        margins[0].toInt64() + margins[2].toInt64() <= w &&
                        margins[1].toInt64() + margins[3].toInt64() <= h;
      if (!fits) {
        Problem(path + "/mg " + ArrayText(margins) + " are not four margins that fit " +
                ArrayText(rect));
      }
    }
  }

  const SkinContainer& skin_;
  SkinReport report_;
  std::map<uint32_t, PngHeader> images_;
  // Ids of images that are renderings of another at a further DPI.
  std::set<uint32_t> renderings_;
  std::set<uint32_t> fonts_;
};

}  // namespace

SkinReport CheckSkin(const SkinContainer& skin) { return Checker(skin).Run(); }
