#include "tests/control/argumenttexts.h"
#include "velkanfilesearch/bstrconvert.h"
#include "velkanfilesearch/comhost.h"
#include "tests/control/decimalcommalocale.h"
#include "control/registry/registryfile.h"
#include "tests/control/testsupport.h"
#include "control/com/variantconvert.h"

#include <gtest/gtest.h>

#include <clocale>
#include <variant>

using namespace velkan;
using test::ReadFile;
using com::Guid;
using registry::RegistryFile;

namespace {

// ---- Guid ----

TEST(GuidTest, WritesUpperCaseInBracesAndReadsEitherCase)
{
    EXPECT_EQ(control::CLSID_VelkanFileSearch.ToString(), "{10EEDD5D-AA9F-49F7-A47B-CEE1C3DDA811}");
    EXPECT_EQ(com::IID_IObjectSafety.ToString(), "{CB5BDC81-93C1-11CF-8F20-00805F2CD064}");
    EXPECT_EQ(Guid{}.ToString(), "{00000000-0000-0000-0000-000000000000}");

    const Guid every[] = {com::IID_IUnknown, com::IID_IDispatch, com::IID_IClassFactory, com::IID_IConnectionPoint,
                          com::IID_IConnectionPointContainer, com::IID_IObjectSafety, com::IID_IPersistPropertyBag,
                          com::IID_ISpecifyPropertyPages, control::CLSID_VelkanFileSearch,
                          control::CLSID_VelkanFileSearchPropPage, control::LIBID_VELKANFILESEARCHLib,
                          control::DIID__DVelkanFileSearch, control::DIID__DVelkanFileSearchEvents,
                          control::IID_IControlWindow, control::IID_IVelkanPanelAccess,
                          control::IID_IPropertyPageWindow};
    for (const Guid& guid : every) {
        EXPECT_EQ(Guid::Parse(guid.ToString()), guid);
    }
    const Guid parsed = *Guid::Parse("{8f3cc02f-7dfc-4d39-a5b5-385067e1e1a3}");
    EXPECT_EQ(parsed, control::IID_IControlWindow);
    EXPECT_EQ(parsed.data1, 0x8F3CC02FU);
    EXPECT_EQ(parsed.data4[0], 0xA5);
    EXPECT_EQ(parsed.data4[7], 0xA3);

    for (const char* bad : {"", "{}", "8F3CC02F-7DFC-4D39-A5B5-385067E1E1A3", "{8F3CC02F-7DFC-4D39-A5B5-385067E1E1A3",
                            "{8F3CC02F-7DFC-4D39-A5B5-385067E1E1A3}x", "{8F3CC02F 7DFC-4D39-A5B5-385067E1E1A3}",
                            "{8F3CC02G-7DFC-4D39-A5B5-385067E1E1A3}", "{8F3CC02F-7DFC-4D39-A5B5385067E1E1A3-}",
                            "{+F3CC02F-7DFC-4D39-A5B5-385067E1E1A3}"}) {
        EXPECT_FALSE(Guid::Parse(bad)) << bad;
    }
}

// ---- automation values as text ----

TEST(VariantToBstrTest, EachKindOfValueBecomesItsText)
{
    for (const test::ArgumentText& c : test::ArgumentTexts()) {
        SCOPED_TRACE(c.what);
        com::Bstr text = u"before";
        const com::HRESULT result = com::VariantToBstr(c.value, &text);
        if (c.text) {
            EXPECT_EQ(result, com::S_OK);
            EXPECT_EQ(text, *c.text);
        } else {
            EXPECT_EQ(result, com::DISP_E_TYPEMISMATCH);
            EXPECT_EQ(text, u"before");
        }
    }
    EXPECT_EQ(com::VariantToBstr(com::Variant(), nullptr), com::E_POINTER);
}

TEST(VariantToBstrTest, DoublesKeepTheirPointUnderADecimalCommaLocale)
{
    const test::DecimalCommaLocale german;
    if (!german.Problem().empty()) {
        GTEST_SKIP() << "no de_DE.UTF-8 locale to test with: " << german.Problem();
    }
    // The locale is really in force: C's own formatting now writes a comma.
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");

    for (const test::ArgumentText& c : test::ArgumentTexts()) {
        if (!std::holds_alternative<double>(c.value) || !c.text) {
            continue;
        }
        SCOPED_TRACE(c.what);
        com::Bstr text;
        ASSERT_EQ(com::VariantToBstr(c.value, &text), com::S_OK);
        EXPECT_EQ(text, *c.text);
    }
}

// ---- UTF-16 ----

TEST(BstrConvertTest, Utf8AndUtf16BothWays)
{
    struct Case {
        std::string utf8;
        com::Bstr utf16;
    };
    const Case cases[] = {
        {"", u""},
        {"abc", u"abc"},
        {"검색어", u"검색어"},
        {"\xF0\x9F\x98\x80", u"\U0001F600"},
        {"\xC3\xA9\xE2\x82\xAC", u"\u00E9\u20AC"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(com::FromUtf8(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(com::ToUtf8(c.utf16), c.utf8) << c.utf8;
    }
    // What cannot be converted becomes U+FFFD, once per bad sequence.
    EXPECT_EQ(com::FromUtf8("a\xFF" "b\xE2\x82" "c\xC0\xAF" "d\xED\xA0\x80"), u"a\uFFFDb\uFFFDc\uFFFDd\uFFFD");
    EXPECT_EQ(com::ToUtf8(com::Bstr(u"x") + char16_t(0xDC00) + u"y" + char16_t(0xD800)), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
}

// ---- registry file ----

TEST(RegistryFileTest, KeepsWhatItDoesNotWriteItself)
{
    const std::string text =
        "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
        "\r\n"
        "; a comment\r\n"
        "[HKEY_CURRENT_USER\\Software\\A]\r\n"
        "\"Count\"=dword:00000010\r\n"
        "\"Blob\"=hex:01,02,\\\r\n"
        "  03,04\r\n"
        "@=\"with \\\"quotes\\\" and \\\\ back\"\r\n"
        "\"Na\\\"me\"=\"\"\r\n";
    const std::optional<RegistryFile> file = RegistryFile::Parse(text);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->GetString("HKEY_CURRENT_USER\\Software\\A"), "with \"quotes\" and \\ back");
    EXPECT_EQ(file->GetString("hkey_current_user\\software\\a", "na\"ME"), "");
    EXPECT_EQ(file->GetString("HKEY_CURRENT_USER\\Software\\A", "Count"), std::nullopt); // not a string
    EXPECT_EQ(file->Serialize(), "Windows Registry Editor Version 5.00\n"
                                 "\n"
                                 "[HKEY_CURRENT_USER\\Software\\A]\n"
                                 "\"Count\"=dword:00000010\n"
                                 "\"Blob\"=hex:01,02,\\\n"
                                 "  03,04\n"
                                 "@=\"with \\\"quotes\\\" and \\\\ back\"\n"
                                 "\"Na\\\"me\"=\"\"\n"
                                 "\n");
    EXPECT_EQ(RegistryFile::Parse(file->Serialize()), file);
}

TEST(RegistryFileTest, KeysAndValuesAreEditedInPlace)
{
    RegistryFile file;
    file.SetString("R\\A", {}, "a");
    file.SetString("R\\A\\B", "x", "1");
    file.SetString("R\\AB", {}, "neighbour");
    file.SetString("R\\A\\B", "y", "2");
    file.SetString("r\\a\\b", "X", "3"); // same key, same value: keeps its place
    EXPECT_EQ(file.Serialize(), "Windows Registry Editor Version 5.00\n\n"
                                "[R\\A]\n@=\"a\"\n\n"
                                "[R\\A\\B]\n\"x\"=\"3\"\n\"y\"=\"2\"\n\n"
                                "[R\\AB]\n@=\"neighbour\"\n\n");
    // A key lives while anything below it does.
    EXPECT_TRUE(file.KeyExists("R"));
    EXPECT_TRUE(file.KeyExists("r\\a\\b"));
    EXPECT_FALSE(file.KeyExists("R\\A\\B\\C"));
    EXPECT_FALSE(file.KeyExists("R\\"));
    EXPECT_TRUE(file.RemoveValue("R\\A\\B", "Y"));
    EXPECT_FALSE(file.RemoveValue("R\\A\\B", "y"));
    EXPECT_TRUE(file.RemoveKey("r\\a"));
    EXPECT_FALSE(file.RemoveKey("R\\A"));
    EXPECT_EQ(file.Serialize(), "Windows Registry Editor Version 5.00\n\n[R\\AB]\n@=\"neighbour\"\n\n");
    file.CreateKey("R\\Empty");
    EXPECT_TRUE(file.KeyExists("R\\Empty"));
    EXPECT_EQ(file.GetString("R\\Empty"), std::nullopt);
}

TEST(RegistryFileTest, RefusesWhatIsNotARegistryNamingTheLineAndWhy)
{
    const std::string header = "Windows Registry Editor Version 5.00\n\n";
    const std::string notRegistry = "not a registry file: it does not begin with \"Windows Registry Editor Version 5.00\"";
    const std::string continued = "a value continued ('\\' at the end of its line) past the end of the file";
    // Two thousand good keys before the bad line: its number must count every one of them.
    std::string longFile = header;
    for (int i = 0; i < 2000; ++i) {
        longFile += "[HKEY_CLASSES_ROOT\\K" + std::to_string(i) + "]\r\n@=\"v\"\r\n";
    }
    longFile += "x=\"y\"\r\n";
    struct Case {
        std::string text;
        std::size_t line;
        std::string reason;
    };
    const Case cases[] = {
        {"REGEDIT4\n\n[A]\n", 1, notRegistry},
        {"[A]\n@=\"x\"\n", 1, notRegistry},
        {"; a comment\n\n[A]\n@=\"x\"\n", 3, notRegistry},
        {header + "@=\"outside\"\n", 3, "a value line outside any key"},
        {header + "[A\n", 3, "a key line without its closing ']'"},
        {header + "[\n", 3, "a key line without its closing ']'"},
        {header + "[]\n", 3, "a key line without a key name"},
        {header + "[-A]\n", 3, "a key deletion ([-...]), which a registry file does not keep"},
        {header + "[A]\n[-B]\n", 4, "a key deletion ([-...]), which a registry file does not keep"},
        {header + "[A]\n\"x\"=-\n", 4, "a value deletion (=-), which a registry file does not keep"},
        {header + "[A]\n\"x\"\n", 4, "no '=' after the value name"},
        {header + "[A]\n\"x=\"y\"\n", 4, "no '=' after the value name"},
        {header + "[A]\n\"x=y\n", 4, "a value name without its closing quote"},
        {header + "[A]\nplain=\"y\"\n", 4, "a line that is neither a key, a value nor a comment"},
        {header + "[A]\n@=\"unterminated\n", 4, "a string value without its closing quote"},
        {header + "[A]\n@=\"ends in an escape\\\"\n", 4, "a string value without its closing quote"},
        {header + "[A]\n@=\"a\"b\n", 4, "text after the closing quote of a string value"},
        // Comments, blank lines, a byte-order mark and CRLF line ends all count as lines.
        {"\xEF\xBB\xBF" + header + "; note\r\n[A]\r\n@=\"1\"\r\n\r\n[B\r\n", 7, "a key line without its closing ']'"},
        // Raw data that would not read back as it was written.
        {header + "[A]\n\"b\"=hex:01,\\\n  02,\\\n", 4, continued},
        {header + "[A]\n\"c\"=dword:00000001\r\r\n", 4, "a stray carriage return at the end of a value line"},
        {header + "[A]\n\"b\"=hex:01,\\\n  02\r\r\n[B]\n", 5, "a stray carriage return at the end of a value line"},
        {longFile, 4003, "a line that is neither a key, a value nor a comment"},
    };
    for (const Case& c : cases) {
        registry::ParseError error;
        EXPECT_FALSE(RegistryFile::Parse(c.text, &error)) << c.text;
        EXPECT_EQ(error, (registry::ParseError{c.line, c.reason})) << c.text.substr(0, 200);
    }
    // Nothing at all is an empty registry.
    ASSERT_TRUE(RegistryFile::Parse(""));
    EXPECT_TRUE(RegistryFile::Parse("")->Keys().empty());
}

TEST(RegistryFileTest, SaveReplacesTheFileWhole)
{
    test::ScopedRegistry registry;
    RegistryFile file;
    file.SetString("HKEY_CLASSES_ROOT\\X", {}, "1");
    ASSERT_TRUE(file.Save(registry.Path()));
    EXPECT_EQ(RegistryFile::Load(registry.Path()), file);
    EXPECT_EQ(ReadFile(registry.Path()), file.Serialize());

    // A failed save leaves the old file and no temporary beside it.
    const std::filesystem::path blocked = registry.Directory() / "dir.reg";
    std::filesystem::create_directory(blocked);
    std::string error;
    EXPECT_FALSE(file.Save(blocked, &error));
    EXPECT_EQ(error, "cannot write " + blocked.string() + ": Is a directory");
    EXPECT_EQ(test::FileNames(registry.Directory()),
              (std::set<std::string>{"registry.reg", "registry.reg.lock", "dir.reg", "dir.reg.lock"}));
    EXPECT_FALSE(RegistryFile::Load(blocked));

    // A missing file is an empty registry.
    const std::optional<RegistryFile> missing = RegistryFile::Load(registry.Directory() / "none.reg");
    ASSERT_TRUE(missing);
    EXPECT_TRUE(missing->Keys().empty());
}

TEST(RegistryPathTest, FollowsTheEnvironment)
{
    test::ScopedRegistry registry; // puts VELKAN_REGISTRY back afterwards
    struct Saved {
        const char* name;
        std::optional<QByteArray> value;
    };
    std::vector<Saved> saved;
    for (const char* name : {"XDG_DATA_HOME", "HOME"}) {
        saved.push_back({name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt});
    }
    struct Case {
        const char* registry;
        const char* xdg;
        const char* home;
        std::filesystem::path expected;
    };
    const Case cases[] = {
        {"/r/file.reg", "/x", "/h", "/r/file.reg"},
        {nullptr, "/x", "/h", "/x/velkan/registry.reg"},
        {"", "/x", "/h", "/x/velkan/registry.reg"},
        {nullptr, nullptr, "/h", "/h/.local/share/velkan/registry.reg"},
        {nullptr, "", "/h", "/h/.local/share/velkan/registry.reg"},
        {nullptr, "relative/dir", "/h", "/h/.local/share/velkan/registry.reg"},
    };
    const auto set = [](const char* name, const char* value) {
        if (value == nullptr) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    };
    for (const Case& c : cases) {
        set("VELKAN_REGISTRY", c.registry);
        set("XDG_DATA_HOME", c.xdg);
        set("HOME", c.home);
        EXPECT_EQ(comhost::RegistryPath(), c.expected) << c.expected;
    }
    for (const Saved& entry : saved) {
        set(entry.name, entry.value ? entry.value->constData() : nullptr);
    }
}

// ---- property bags and property set files ----

TEST(PropertySetTest, SavesEscapedLinesAndLoadsThemBack)
{
    test::ScopedRegistry directory;
    comhost::MemoryPropertyBag bag;
    bag.values = {{u"plain", u"value"},
                  {u"escapes", u"a\\b\nc\rd"},
                  {u"equals", u"x=y=z"},
                  {u"한글", u"검색어"},
                  {u"empty", u""}};
    const std::filesystem::path path = directory.Directory() / "set.properties";
    std::string error;
    ASSERT_TRUE(comhost::SavePropertySet(path, bag, &error)) << error;
    EXPECT_EQ(ReadFile(path), "empty=\n"
                              "equals=x=y=z\n"
                              "escapes=a\\\\b\\nc\\rd\n"
                              "plain=value\n"
                              "한글=검색어\n");

    comhost::MemoryPropertyBag loaded;
    loaded.values[u"kept"] = u"k";
    ASSERT_TRUE(comhost::LoadPropertySet(path, loaded, &error)) << error;
    auto expected = bag.values;
    expected[u"kept"] = u"k";
    EXPECT_EQ(loaded.values, expected);

    com::Bstr value;
    EXPECT_EQ(loaded.Read(u"escapes", &value), com::S_OK);
    EXPECT_EQ(value, u"a\\b\nc\rd");
    EXPECT_EQ(loaded.Read(u"missing", &value), com::E_INVALIDARG);
    EXPECT_EQ(loaded.Read(u"Plain", &value), com::E_INVALIDARG);
    EXPECT_EQ(loaded.Write(u"new", u"n"), com::S_OK);
    EXPECT_EQ(loaded.values[u"new"], u"n");
}

TEST(PropertySetTest, RefusesMalformedFilesAndNames)
{
    test::ScopedRegistry directory;
    const std::filesystem::path path = directory.Directory() / "bad.properties";
    for (const char* text : {"no equals sign\n", "=value\n", "a=\\x\n", "a=trailing\\\n", "ok=1\nbad\n"}) {
        std::ofstream(path, std::ios::trunc) << text;
        comhost::MemoryPropertyBag bag;
        bag.values[u"kept"] = u"k";
        std::string error;
        EXPECT_FALSE(comhost::LoadPropertySet(path, bag, &error)) << text;
        EXPECT_FALSE(error.empty());
        // Nothing of a bad file is taken.
        EXPECT_EQ(bag.values, (std::map<std::u16string, com::Bstr>{{u"kept", u"k"}})) << text;
    }
    // Blank lines and CRLF line ends are fine.
    std::ofstream(path, std::ios::trunc) << "a=1\r\n\r\nb=2\r\n";
    comhost::MemoryPropertyBag bag;
    ASSERT_TRUE(comhost::LoadPropertySet(path, bag));
    EXPECT_EQ(bag.values, (std::map<std::u16string, com::Bstr>{{u"a", u"1"}, {u"b", u"2"}}));

    comhost::MemoryPropertyBag badName;
    badName.values[u"a=b"] = u"x";
    EXPECT_FALSE(comhost::SavePropertySet(path, badName));
    EXPECT_FALSE(comhost::LoadPropertySet(directory.Directory() / "missing", bag));
}

} // namespace
