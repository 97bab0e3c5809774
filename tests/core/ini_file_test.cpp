#include "core/ini_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

#include "core/atomic_file.h"
#include "support/temp_dir.h"

namespace nuvaro {
namespace {

using testing::G;
using testing::GT;
using testing::TempExeDir;

TEST(IniDocument, ReadsLikeTheProfileFunctions) {
    auto doc = IniDocument::Parse(
        "; comment\r\n[One]\r\nKey=v1\r\nkey=second\r\nempty=\r\n\r\n[two]\r\nA=x=y\r\n"
        "[ONE]\r\nKey=ignored\r\n");
    EXPECT_EQ(doc.Read("one", "KEY"), "v1");  // names ignore ASCII case, first wins
    EXPECT_EQ(doc.Read("one", "empty"), "");
    EXPECT_EQ(doc.Read("Two", "a"), "x=y");  // only the first "=" separates
    EXPECT_EQ(doc.Read("one", "missing"), std::nullopt);
    EXPECT_EQ(doc.Read("three", "Key"), std::nullopt);
    EXPECT_EQ(doc.SectionNames(), (std::vector<std::string>{"One", "two", "ONE"}));
}

TEST(IniDocument, BlanksAroundNamesAndValuesAreDroppedAndLfOnlyFilesRead) {
    auto doc = IniDocument::Parse(
        "[s]\nContry= +86 \n\tRefreshTime\t=\t5\t\nOtherStr= \"two words\" \nin=a  b\nk=v");
    EXPECT_EQ(doc.Read("s", "Contry"), "+86");
    EXPECT_EQ(doc.Read("s", "RefreshTime"), "5");
    EXPECT_EQ(doc.Read("s", "OtherStr"), "\"two words\"");  // quotes stay, unlike on Windows
    EXPECT_EQ(doc.Read("s", "in"), "a  b");
    EXPECT_EQ(doc.Read("s", "k"), "v");
}

TEST(IniFile, WritesKeepTheValuesBytesAndReadsDropOnlyTheOuterBlanks) {
    TempExeDir dir;
    IniFile ini(dir.File("x.ini"));
    ini.WriteString("s", "k", " 1\t");
    EXPECT_EQ(dir.Read("x.ini"), "[s]\r\nk= 1\t\r\n");
    EXPECT_EQ(ini.ReadString("s", "k"), "1");
}

TEST(IniDocument, WritesReplaceInPlaceAppendToSectionAndFile) {
    auto doc = IniDocument::Parse("[1]\r\na=1\r\nb=2\r\n\r\n[2]\r\nc=3\r\n");
    doc.Write("1", "B", "20");  // existing key: value replaced in place
    doc.Write("1", "d", "4");   // new key: end of its section, before the blank line
    doc.Write("4", "e", "5");   // new section: end of the file
    EXPECT_EQ(doc.Serialize(), "[1]\r\na=1\r\nb=20\r\nd=4\r\n\r\n[2]\r\nc=3\r\n[4]\r\ne=5\r\n");
}

TEST(IniDocument, TextsAreUtf8HereAndGbkInTheFileWhoseUndecodableBytesSurviveARewrite) {
    IniDocument doc = IniDocument::Parse(
        "[s]\r\nodd=a\xFF"
        "b\r\n");
    EXPECT_EQ(doc.Read("s", "odd"), "a?b");
    EXPECT_EQ(doc.ReadGbk("s", "odd"), GbkText::FromBytes("a\xFF"
                                                          "b"));
    doc.Write("s", "odd", "a?b");  // the text it reads as: the bytes stay
    doc.Write("s", "new", "价€");
    EXPECT_EQ(doc.Serialize(),
              "[s]\r\nodd=a\xFF"
              "b\r\nnew=" +
                  G("价") + "\x80\r\n");
    doc.Write("s", "odd", "a?c");
    EXPECT_EQ(doc.ReadGbk("s", "odd"), GbkText::FromBytes("a?c"));
}

TEST(IniValueEncoding, SingleLineValuesAreStoredByteForByte) {
    for (std::string v : {std::string("C:\\Program Files\\a.exe"), G("价格(\\d+)|缺货"),
                          std::string("\\r\\n"), std::string(" ~ML "), std::string()}) {
        EXPECT_EQ(EncodeIniValue(v), v);
        EXPECT_EQ(DecodeIniValue(v), v);
    }
}

TEST(IniValueEncoding, LineBreaksAreEscapedBehindAMarkAndReadBackWhole) {
    std::string value = G("第一行\r\n第二行\\n") + "\n\\";
    std::string stored = EncodeIniValue(value);
    EXPECT_EQ(stored, "~ML~" + G("第一行") + "\\r\\n" + G("第二行") + "\\\\n\\n\\\\");
    EXPECT_EQ(stored.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(DecodeIniValue(stored), value);
    // A single-line value that happens to begin with the mark survives too.
    EXPECT_EQ(DecodeIniValue(EncodeIniValue("~ML~a\\nb")), "~ML~a\\nb");
}

TEST(IniValueEncoding, MultiLineValuesKeepTheirOuterBlanksThroughAFile) {
    TempExeDir dir;
    IniFile ini(dir.File("x.ini"));
    for (std::string value : {std::string(" a\r\nb "), std::string("a\r\n\t"),
                              std::string("\t\r\n  "), std::string("~ML~a \\s\t")}) {
        ini.WriteString("s", "k", value);
        EXPECT_EQ(ini.ReadString("s", "k"), value);
    }
}

// Found by the INI fuzz target (tests/fuzz/ini_file/blanks_then_mark): reading dropped the
// blanks, then took the value for an escaped one.
class IniValueBehindBlanks : public ::testing::TestWithParam<std::string> {};

TEST_P(IniValueBehindBlanks, ValuesThatBeginWithBlanksAndTheMarkReadBackAsWritten) {
    TempExeDir dir;
    IniFile ini(dir.File("x.ini"));
    ini.WriteString("s", "k", GetParam());
    EXPECT_EQ(ini.ReadString("s", "k"), GetParam());
    const std::string file = dir.Read("x.ini");
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 2);  // the section line and one key line
}

INSTANTIATE_TEST_SUITE_P(Values, IniValueBehindBlanks,
                         ::testing::Values("       ~ML~ \"  ", " ~ML~abc", "\t~ML~", "  ~ML~a\\n ",
                                           " \t~ML~\r\n"));

// Texts of a page are kept exactly: blanks at both ends, tabs, line breaks, a leading mark.
class IniExactValue : public ::testing::TestWithParam<std::string> {};

TEST_P(IniExactValue, ReadsBackByteForByteAndStaysOneLine) {
    IniDocument doc;
    doc.WriteExactGbk("s", "k", GbkText::FromBytes(GetParam()));
    doc.Write("s", "next", "x");
    const std::string file = doc.Serialize();
    EXPECT_EQ(std::count(file.begin(), file.end(), '\n'), 3);
    IniDocument read = IniDocument::Parse(file);
    EXPECT_EQ(read.ReadGbk("s", "k"), GbkText::FromBytes(GetParam()));
    EXPECT_EQ(read.Read("s", "next"), "x");
}

INSTANTIATE_TEST_SUITE_P(Values, IniExactValue,
                         ::testing::Values("", " ", "  99 ", "\tprice\t", "a\r\nb\n", "~ML~x",
                                           " \\n ", G(" 价格：１２８ "), std::string("a\0b", 3)));

TEST(IniWriter, WritesTheLinesThatIniDocumentWouldWrite) {
    IniWriter writer;
    IniDocument doc;
    for (const char* section : {"a", " b "}) {
        writer.Section(section);
        writer.Write("k", " v ");
        writer.WriteExact("x", " 价格\r\n ");
        writer.WriteExactGbk("y", GT(" 价格€\r\n "));
        doc.Write(section, "k", " v ");
        doc.WriteExact(section, "x", " 价格\r\n ");
        doc.WriteExactGbk(section, "y", GT(" 价格€\r\n "));
    }
    EXPECT_EQ(writer.Text(), doc.Serialize());
    EXPECT_NE(writer.Text().find(G("价格") + "\\r\\n"), std::string::npos);
    EXPECT_EQ(IniDocument::Parse(writer.Text()).Read("b", "x"), " 价格\r\n ");
    EXPECT_EQ(IniDocument::Parse(writer.Text()).ReadGbk("b", "y"), GT(" 价格€\r\n "));
}

TEST(IniFile, MissingFileReadsEmptyAndIsCreatedByTheFirstWrite) {
    TempExeDir dir;
    IniFile ini(dir.File("Config.inf"));
    EXPECT_EQ(ini.ReadString("1", "url"), "");
    EXPECT_EQ(ini.SectionCount(), 0);
    EXPECT_FALSE(dir.Exists("Config.inf"));
    ini.WriteString("1", "url", "http://a");
    EXPECT_EQ(dir.Read("Config.inf"), "[1]\r\nurl=http://a\r\n");
}

TEST(IniFile, TwoObjectsOverOneFileSeeEachOthersWrites) {
    TempExeDir dir;
    IniFile a(dir.File("x.ini")), b(dir.File("x.ini"));
    for (int i = 0; i < 50; ++i) {
        a.WriteString("s", "k", std::to_string(i));
        ASSERT_EQ(b.ReadString("s", "k"), std::to_string(i));
    }
}

TEST(IniFile, LongValuesAreNotCut) {
    TempExeDir dir;
    IniFile ini(dir.File("x.ini"));
    std::string big(100000, 'x');
    ini.WriteString("s", "k", big);
    EXPECT_EQ(ini.ReadString("s", "k"), big);
}

TEST(IniFile, ReadOnlyFileRefusesTheWriteWithItsFullNameAndStaysIntact) {
    TempExeDir dir;
    std::string path = dir.File("Config.inf");
    IniFile ini(path);
    ini.WriteString("1", "url", "old");
    chmod(path.c_str(), 0444);
    try {
        ini.WriteString("1", "url", "new");
        FAIL() << "write accepted";
    } catch (const FileWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
    }
    EXPECT_EQ(dir.Read("Config.inf"), "[1]\r\nurl=old\r\n");
}

TEST(IniFile, AFileReachedThroughALinkIsWrittenWhereTheLinkLeads) {
    TempExeDir dir;
    std::filesystem::create_directories(dir.File("real"));
    std::filesystem::create_symlink(dir.File("real/Config.inf"), dir.File("Config.inf"));
    dir.Write("real/Config.inf", "[1]\r\nurl=old\r\n");
    IniFile(dir.File("Config.inf")).WriteString("1", "url", "new");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("Config.inf")));
    EXPECT_EQ(dir.Read("real/Config.inf"), "[1]\r\nurl=new\r\n");
}

TEST(IniFile, FolderThatDoesNotExistRefusesTheWrite) {
    TempExeDir dir;
    IniFile ini(dir.File("gone/Config.inf"));
    EXPECT_THROW(ini.WriteString("1", "k", "v"), FileWriteError);
}

TEST(IniFile, FullDiskLeavesTheOldFileWholeAndNoTemporaryBehind) {
    TempExeDir dir;
    IniFile ini(dir.File("Config.inf"));
    ini.WriteString("1", "url", "kept");
    const std::string before = dir.Read("Config.inf");

    // A file size limit makes write() fail as a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(ini.WriteString("1", "Body", std::string(10000, 'b')), FileWriteError);
    setrlimit(RLIMIT_FSIZE, &old);

    EXPECT_EQ(dir.Read("Config.inf"), before);
    std::vector<std::string> entries;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        entries.push_back(e.path().filename().string());
    }
    std::sort(entries.begin(), entries.end());
    // The file and the lock file that writers share; no temporary.
    EXPECT_EQ(entries, (std::vector<std::string>{".Config.inf.lock", "Config.inf"}));
}

}  // namespace
}  // namespace nuvaro
