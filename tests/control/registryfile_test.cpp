#include "control/registry/registryfile.h"
#include "tests/control/testsupport.h"

#include <gtest/gtest.h>

using namespace velkan;
using test::ReadFile;
using test::WriteFile;
using registry::RegistryFile;

namespace {

std::vector<std::string> Paths(const RegistryFile& file)
{
    std::vector<std::string> paths;
    for (const RegistryFile::Key& key : file.Keys()) {
        paths.push_back(key.path);
    }
    return paths;
}

std::string KeyName(int i)
{
    return "HKEY_CLASSES_ROOT\\Key" + std::to_string(i);
}

// Flips the case of every other ASCII letter, so that a lookup never spells the key as stored.
std::string OtherCase(std::string text)
{
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const char c = text[i];
        text[i] = static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
    return text;
}

// ---- the key index ----

TEST(RegistryIndexTest, FindsEveryKeyInAnyCaseAndKeepsTheFileOrder)
{
    // Keys written out of order, one of them twice in another spelling: the second spelling's
    // values join the first key, which keeps its place and its spelling.
    std::string text = std::string(registry::kHeader) + "\n\n";
    std::vector<std::string> expected;
    for (int i = 0; i < 300; ++i) {
        const int n = (i * 7) % 300;
        text += "[" + KeyName(n) + "]\n@=\"v" + std::to_string(n) + "\"\n";
        expected.push_back(KeyName(n));
    }
    text += "[" + OtherCase(KeyName(14)) + "]\n\"Extra\"=\"x\"\n";
    const std::optional<RegistryFile> file = RegistryFile::Parse(text);
    ASSERT_TRUE(file);
    EXPECT_EQ(Paths(*file), expected);
    for (int n = 0; n < 300; ++n) {
        EXPECT_EQ(file->GetString(OtherCase(KeyName(n))), "v" + std::to_string(n)) << n;
        EXPECT_TRUE(file->KeyExists(OtherCase(KeyName(n)))) << n;
    }
    EXPECT_EQ(file->GetString(KeyName(14), "EXTRA"), "x");
    EXPECT_EQ(file->GetString(KeyName(300)), std::nullopt);
    EXPECT_FALSE(file->KeyExists(KeyName(300)));
    EXPECT_TRUE(file->KeyExists("hkey_classes_root"));
}

TEST(RegistryIndexTest, RemovedKeysAreGoneAndTheRestAreStillFound)
{
    RegistryFile file;
    for (int i = 0; i < 50; ++i) {
        file.SetString(KeyName(i), {}, std::to_string(i));
        file.SetString(KeyName(i) + "\\Sub", {}, "sub" + std::to_string(i));
    }
    // Removing keys near the front moves every later key: each must still be found as itself.
    EXPECT_TRUE(file.RemoveKey(OtherCase(KeyName(3))));
    EXPECT_TRUE(file.RemoveKey(KeyName(10) + "\\SUB"));
    EXPECT_FALSE(file.RemoveKey(KeyName(3)));
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(file.GetString(KeyName(i)), i == 3 ? std::nullopt : std::optional(std::to_string(i))) << i;
        const bool subKept = i != 3 && i != 10;
        EXPECT_EQ(file.GetString(KeyName(i) + "\\sub"), subKept ? std::optional("sub" + std::to_string(i)) : std::nullopt)
            << i;
    }
    EXPECT_EQ(file.Keys().size(), 97U);

    // Added again, a removed key comes last; one that stayed keeps its place when set again.
    file.SetString(KeyName(3), {}, "again");
    file.SetString(OtherCase(KeyName(4)), {}, "changed");
    EXPECT_EQ(file.Keys().back().path, KeyName(3));
    EXPECT_EQ(file.GetString(KeyName(3)), "again");
    EXPECT_EQ(file.Keys()[6].path, KeyName(4));
    EXPECT_EQ(file.GetString(KeyName(4)), "changed");
    EXPECT_EQ(file.Keys().size(), 98U);

    // A value removed by one spelling is gone for every spelling.
    EXPECT_TRUE(file.RemoveValue(OtherCase(KeyName(5)), {}));
    EXPECT_EQ(file.GetString(KeyName(5)), std::nullopt);
    EXPECT_TRUE(file.KeyExists(KeyName(5)));
}

TEST(RegistryIndexTest, ManyValuesOfOneKeyMergeByNameInAnyCase)
{
    // More values than a key scans without its index; a repeated name, in any case, replaces
    // the value in its place.
    std::string text = std::string(registry::kHeader) + "\n\n[K]\n";
    for (int i = 0; i < 40; ++i) {
        text += "\"Name" + std::to_string(i) + "\"=\"" + std::to_string(i) + "\"\n";
    }
    text += "\"NAME2\"=\"two\"\n\"name39\"=dword:00000027\n[Other]\n@=\"o\"\n[k]\n\"Name30\"=\"thirty\"\n";
    const std::optional<RegistryFile> file = RegistryFile::Parse(text);
    ASSERT_TRUE(file);
    ASSERT_EQ(file->Keys().size(), 2U);
    const std::vector<RegistryFile::Value>& values = file->Keys()[0].values;
    ASSERT_EQ(values.size(), 40U);
    EXPECT_EQ(values[2], (RegistryFile::Value{.name = "NAME2", .isString = true, .data = "two"}));
    EXPECT_EQ(values[30], (RegistryFile::Value{.name = "Name30", .isString = true, .data = "thirty"}));
    EXPECT_EQ(values[39], (RegistryFile::Value{.name = "name39", .isString = false, .data = "dword:00000027"}));
    EXPECT_EQ(values[38].data, "38");
    EXPECT_EQ(file->GetString("k", "name2"), "two");
    EXPECT_EQ(RegistryFile::Parse(file->Serialize()), file);
}

// ---- files ----

class RegistryFileIoTest : public ::testing::Test {
protected:
    test::ScopedRegistry m_registry;
};

TEST_F(RegistryFileIoTest, LoadSaysWhichFileWhichLineAndWhy)
{
    struct Case {
        std::string text;
        std::string error;
    };
    const std::string path = m_registry.Path().string();
    const Case cases[] = {
        {"Windows Registry Editor Version 5.00\n\n@=\"x\"\n", path + ":3: a value line outside any key"},
        {"Windows Registry Editor Version 5.00\r\n\r\n[A]\r\n@=\"x\"\r\n\r\n[B]\r\n\"y\"=-\r\n",
         path + ":7: a value deletion (=-), which a registry file does not keep"},
        {"garbage", path + ":1: not a registry file: it does not begin with \"Windows Registry Editor Version 5.00\""},
    };
    for (const Case& c : cases) {
        WriteFile(m_registry.Path(), c.text);
        std::string error;
        EXPECT_FALSE(RegistryFile::Load(m_registry.Path(), &error)) << c.text;
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(RegistryFile::FindProblem(m_registry.Path()), c.error);
        EXPECT_EQ(ReadFile(m_registry.Path()), c.text);
    }

    std::filesystem::remove(m_registry.Path());
    std::filesystem::create_directory(m_registry.Path());
    std::string error;
    EXPECT_FALSE(RegistryFile::Load(m_registry.Path(), &error));
    EXPECT_EQ(error, "cannot read " + path + ": Is a directory");
}

TEST_F(RegistryFileIoTest, SaveAndFindProblemNameThePathThatCannotBeWritten)
{
    // Below a regular file nothing can be made, not even by root.
    const std::filesystem::path blocker = m_registry.Directory() / "plain-file";
    WriteFile(blocker, "x");
    const std::filesystem::path below = blocker / "registry.reg";
    RegistryFile file;
    file.SetString("HKEY_CLASSES_ROOT\\X", {}, "1");
    std::string error;
    EXPECT_FALSE(file.Save(below, &error));
    const std::string expected = "cannot write " + below.string() + ": cannot create " + blocker.string() + ": Not a directory";
    EXPECT_EQ(error, expected);
    EXPECT_EQ(RegistryFile::FindProblem(below), expected);

    // A good file: no problem, and the check leaves it and its directory as they were.
    ASSERT_TRUE(file.Save(m_registry.Path()));
    const std::filesystem::file_time_type written = std::filesystem::last_write_time(m_registry.Path());
    EXPECT_EQ(RegistryFile::FindProblem(m_registry.Path()), std::nullopt);
    EXPECT_EQ(ReadFile(m_registry.Path()), file.Serialize());
    EXPECT_EQ(std::filesystem::last_write_time(m_registry.Path()), written);
    EXPECT_EQ(test::FileNames(m_registry.Directory()),
              (std::set<std::string>{"registry.reg", "registry.reg.lock", "plain-file"}));
}

} // namespace
