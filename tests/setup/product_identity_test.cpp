#include "setup/product_identity.h"

#include <gtest/gtest.h>

#include <string>

#include "json/json_reader.h"
#include "json/json_value.h"
#include "json/json_writer.h"
#include "setup/shortcut_place.h"

namespace {

JsonValue Parse(const std::string& text) {
  JsonValue value;
  EXPECT_TRUE(JsonReader().parse(text.c_str(), value)) << text;
  return value;
}

TEST(ProductIdentityTest, ConfigWithoutProductIsVelto) {
  ProductIdentity identity;
  std::string problem;
  ASSERT_TRUE(ReadProductIdentity(Parse(R"({"mode":1})"), identity, problem)) << problem;
  EXPECT_EQ(identity, DefaultProductIdentity());
  EXPECT_EQ(identity.id, "Velto");
  EXPECT_EQ(identity.publisher, "Velto Software Ltd.");
  EXPECT_EQ(identity.help_link, "https://www.velto.app/");
  EXPECT_EQ(identity.language, "zh");
  EXPECT_EQ(identity.remove_on_uninstall, std::vector<std::string>{"Velto\\Velto.cfg"});
}

TEST(ProductIdentityTest, AbsentMembersTakeTheirDefaults) {
  ProductIdentity identity;
  std::string problem;
  ASSERT_TRUE(ReadProductIdentity(Parse(R"({"product":{"name":"Mossbank"}})"), identity, problem));
  EXPECT_EQ(identity.id, "Mossbank");
  EXPECT_EQ(identity.name, "Mossbank");
  EXPECT_EQ(identity.publisher, "");
  EXPECT_EQ(identity.help_link, "");
  EXPECT_EQ(identity.language, "zh");
  EXPECT_TRUE(identity.remove_on_uninstall.empty());
}

TEST(ProductIdentityTest, WrittenIdentityReadsBackAndLeavesOutDefaults) {
  ProductIdentity identity;
  identity.id = "com.example.moss-bank_2";
  identity.name = "苔岸 Mossbank";
  identity.publisher = "Moss & Bank Ltd.";
  identity.help_link = "https://mossbank.example/help";
  identity.language = "en";
  identity.remove_on_uninstall = {"Mossbank/settings.ini", "Mossbank\\cache\\state.bin"};
  JsonValue config(JsonKind::Object);
  WriteProductIdentity(identity, config);

  ProductIdentity read;
  std::string problem;
  ASSERT_TRUE(ReadProductIdentity(config, read, problem)) << problem;
  identity.remove_on_uninstall[0] = "Mossbank\\settings.ini";
  EXPECT_EQ(read, identity);

  ProductIdentity minimal;
  minimal.id = "Tern";
  minimal.name = "Tern";
  JsonValue small(JsonKind::Object);
  WriteProductIdentity(minimal, small);
  EXPECT_EQ(JsonWriter().write(small), "{\"product\":{\"id\":\"Tern\",\"name\":\"Tern\"}}\n");
}

TEST(ProductIdentityTest, BrokenMembersAreRefused) {
  const struct {
    const char* config;
    const char* problem;  // a part of the problem text
  } cases[] = {
      {R"({"product":"Velto"})", "not an object"},
      {R"({"product":{"name":7}})", "\"name\""},
      {R"({"product":{"name":"A","id":"with blank"}})", "the id"},
      {R"({"product":{"name":"A","id":"..\\\\x"}})", "the id"},
      {R"({"product":{"name":"A","id":""}})", "the id"},
      {R"({"product":{"name":"苔岸"}})", "the id"},
      {R"({"product":{"name":"a\\b","id":"a"}})", "the name"},
      {R"({"product":{"name":"..","id":"a"}})", "the name"},
      {R"({"product":{"name":"NUL","id":"a"}})", "the name"},
      {R"({"product":{"name":"A","language":"de"}})", "language"},
      {R"({"product":{"name":"A","remove":"x.cfg"}})", "not a list"},
      {R"({"product":{"name":"A","remove":[1]}})", "other than a path"},
      {R"({"product":{"name":"A","remove":["..\\\\x.cfg"]}})", "relative"},
      {R"({"product":{"name":"A","remove":["C:\\\\x.cfg"]}})", "relative"},
      {R"({"product":{"name":"A","remove":["\\\\x.cfg"]}})", "relative"},
      {R"({"product":{"name":"A","remove":["a//b"]}})", "relative"},
  };
  for (const auto& c : cases) {
    ProductIdentity identity;
    std::string problem;
    EXPECT_FALSE(ReadProductIdentity(Parse(c.config), identity, problem)) << c.config;
    EXPECT_NE(problem.find(c.problem), std::string::npos) << c.config << ": " << problem;
  }
}

TEST(ProductIdentityTest, IdRule) {
  EXPECT_EQ(ProductIdProblem("Velto"), "");
  EXPECT_EQ(ProductIdProblem("com.example_x-1"), "");
  EXPECT_EQ(ProductIdProblem(std::string(64, 'a')), "");
  EXPECT_NE(ProductIdProblem(std::string(65, 'a')), "");
  EXPECT_NE(ProductIdProblem("."), "");
  EXPECT_NE(ProductIdProblem("a/b"), "");
}

TEST(PackageScopeTest, AbsentScopeIsMachine) {
  PackageScope scope = PackageScope::kBoth;
  std::string problem;
  ASSERT_TRUE(ReadPackageScope(Parse(R"({"mode":1})"), scope, problem)) << problem;
  EXPECT_EQ(scope, PackageScope::kMachine);
}

TEST(PackageScopeTest, EachScopeReadsBackAsWritten) {
  for (PackageScope written : {PackageScope::kMachine, PackageScope::kUser, PackageScope::kBoth}) {
    JsonValue config(JsonKind::Object);
    WritePackageScope(written, config);
    EXPECT_EQ(JsonWriter().write(config),
              std::string(R"({"scope":")") + ScopeName(written) + "\"}\n");
    PackageScope read = PackageScope::kMachine;
    std::string problem;
    ASSERT_TRUE(ReadPackageScope(config, read, problem)) << ScopeName(written) << ": " << problem;
    EXPECT_EQ(read, written);
  }
}

TEST(PackageScopeTest, AnythingButTheThreeNamesIsRefused) {
  for (const char* config :
       {R"({"scope":"User"})", R"({"scope":"all"})", R"({"scope":""})", R"({"scope":1})",
        R"({"scope":null})", R"({"scope":["user"]})", R"({"scope":"machine "})"}) {
    PackageScope scope = PackageScope::kUser;
    std::string problem;
    EXPECT_FALSE(ReadPackageScope(Parse(config), scope, problem)) << config;
    EXPECT_NE(problem.find("\"scope\""), std::string::npos) << config << ": " << problem;
    EXPECT_EQ(scope, PackageScope::kUser) << config;
  }
}

// Whose desktop and start menu an install uses: per-user installs always their own; machine
// installs the all-users folders when the package asks or LocalSystem runs them.
TEST(ShortcutPlaceTest, MachineInstallsByLocalSystemOrAskingPackagesUseTheAllUsersFolders) {
  const ShortcutPlace mine = ShortcutPlace::kCurrentUser;
  const ShortcutPlace all = ShortcutPlace::kAllUsers;
  const struct {
    bool machine_install;
    ShortcutPlace package;
    bool local_system;
    ShortcutPlace expected;
  } cases[] = {
      {true, mine, false, mine}, {true, mine, true, all},    {true, all, false, all},
      {true, all, true, all},    {false, mine, false, mine}, {false, mine, true, mine},
      {false, all, false, mine}, {false, all, true, mine},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChooseShortcutPlace(c.machine_install, c.package, c.local_system), c.expected)
        << c.machine_install << ShortcutPlaceName(c.package) << c.local_system;
  }
}

TEST(ShortcutPlaceTest, OnlyAllUsersIsWrittenAndOnlyTheTwoNamesAreRead) {
  for (const ShortcutPlace place : {ShortcutPlace::kCurrentUser, ShortcutPlace::kAllUsers}) {
    JsonValue config(JsonKind::Object);
    WriteShortcutPlace(place, config);
    EXPECT_EQ(config.hasMember(kShortcutsMember), place == ShortcutPlace::kAllUsers);
    ShortcutPlace read = ShortcutPlace::kAllUsers;
    std::string problem;
    EXPECT_TRUE(ReadShortcutPlace(config, read, problem)) << problem;
    EXPECT_EQ(read, place);
  }
  for (const char* text : {R"({"shortcuts":"All-Users"})", R"({"shortcuts":1})",
                           R"({"shortcuts":"everyone"})", R"({"shortcuts":null})"}) {
    ShortcutPlace read = ShortcutPlace::kCurrentUser;
    std::string problem;
    EXPECT_FALSE(ReadShortcutPlace(Parse(text), read, problem)) << text;
    EXPECT_NE(problem.find("all-users"), std::string::npos) << problem;
  }
}

}  // namespace
