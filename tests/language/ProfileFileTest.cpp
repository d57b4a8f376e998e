#include <gtest/gtest.h>

#include <filesystem>

#include "base/RegularFile.h"
#include "data/TempDir.h"
#include "language/ProfileFile.h"

namespace lum {
namespace {

namespace fs = std::filesystem;

ProfileFile Doc(std::string_view text) { return ProfileFile::Parse(text); }

TEST(ProfileRead, NamesMatchWithoutRegardToCaseAndValuesAreTrimmed) {
  const auto doc = Doc("[FileInfo]\r\n  Language =  English  \r\napplication=LUM \r\n");
  EXPECT_EQ(doc.Read("fileinfo", "LANGUAGE"), "English");
  EXPECT_EQ(doc.Read("FILEINFO", "Application"), "LUM");
  EXPECT_EQ(doc.Read("FileInfo", "Missing"), std::nullopt);
  EXPECT_EQ(doc.Read("Other", "Language"), std::nullopt);
  EXPECT_EQ(doc.ReadOr("FileInfo", "Missing", "dflt"), "dflt");
}

TEST(ProfileRead, EmptyValueIsNotTheDefault) {
  const auto doc = Doc("[Messages]\nMsg_3=\nMsg_4=  \n");
  EXPECT_EQ(doc.ReadOr("Messages", "Msg_3", "dflt"), "");
  EXPECT_EQ(doc.ReadOr("Messages", "Msg_4", "dflt"), "");
  EXPECT_TRUE(doc.Has("messages", "msg_3"));
}

TEST(ProfileRead, ValueIsTheTextAfterTheFirstEqualsSign) {
  const auto doc = Doc("[S]\nkey=a=b; not a comment\n");
  EXPECT_EQ(doc.Read("S", "key"), "a=b; not a comment");
}

TEST(ProfileRead, CommentsOtherLinesAndOtherSectionsAreNoEntries) {
  const auto doc = Doc(";[S]\n;key=1\n[S]\n;key=2\nnoise line\n[T]\nkey=3\n");
  EXPECT_EQ(doc.Read("S", "key"), std::nullopt);
  EXPECT_EQ(doc.Read("T", "key"), "3");
  EXPECT_EQ(doc.Read("S", ";key"), std::nullopt);
}

TEST(ProfileRead, LongValuesAreCutTo2047Characters) {
  const auto doc = Doc("[S]\nascii=" + std::string(3000, 'a') + "\nwide=" + std::string(3000 * 2, '\xB0'));
  EXPECT_EQ(doc.Read("S", "ascii")->size(), 2047u);
  // GBK 0xB0B0 is one character (3 bytes in UTF-8): characters are counted, not bytes.
  EXPECT_EQ(doc.Read("S", "wide")->size(), 2047u * 3);
}

TEST(ProfileRead, SectionEntries) {
  const auto doc = Doc("[Ports]\nCOM3 = /dev/pts/4\n; comment\nCOM4=\n[Other]\nx=1\n[Empty]\n");
  const auto ports = doc.SectionEntries("ports");
  ASSERT_TRUE(ports);
  ASSERT_EQ(ports->size(), 2u);
  EXPECT_EQ((*ports)[0], std::make_pair(std::string("COM3"), std::string("/dev/pts/4")));
  EXPECT_EQ((*ports)[1], std::make_pair(std::string("COM4"), std::string()));
  EXPECT_TRUE(doc.SectionEntries("Empty")->empty());
  EXPECT_EQ(doc.SectionEntries("Nowhere"), std::nullopt);
}

TEST(ProfileWrite, ReplacesInPlaceKeepingTheKeysSpelling) {
  auto doc = Doc(";c\r\n[S]\r\nKey = old  \r\nnext=1\r\n");
  doc.Write("s", "KEY", "new");
  EXPECT_EQ(doc.Serialize(), ";c\r\n[S]\r\nKey=new\r\nnext=1\r\n");
}

TEST(ProfileWrite, MissingKeyGoesAfterTheLastEntryOfItsSection) {
  auto doc = Doc("[A]\r\na=1\r\n; trailing comment\r\n\r\n[B]\r\nb=2\r\n");
  doc.Write("A", "c", "3");
  doc.Write("B", "d", "4");
  EXPECT_EQ(doc.Serialize(), "[A]\r\na=1\r\nc=3\r\n; trailing comment\r\n\r\n[B]\r\nb=2\r\nd=4\r\n");
  auto empty = Doc("[A]\r\n\r\n[B]\r\n");
  empty.Write("A", "k", "v");
  EXPECT_EQ(empty.Serialize(), "[A]\r\nk=v\r\n\r\n[B]\r\n");
}

// The profile functions read the first entry of a key in the first header of its section, also
// after writes have moved the lines below them.
TEST(ProfileRead, FirstSectionAndFirstEntryWinBeforeAndAfterWrites) {
  auto doc = Doc("[A]\r\nk=1\r\nK=2\r\n[b]\r\nk=b\r\n[a]\r\nk=3\r\nonly=4\r\n");
  EXPECT_EQ(doc.Read("a", "K"), "1");
  EXPECT_EQ(doc.Read("B", "k"), "b");
  EXPECT_FALSE(doc.Read("A", "only").has_value());  // in the second [a], which reading never sees
  doc.Write("A", "new", "5");
  doc.Write("C", "c", "6");
  doc.Write("a", "k", "7");
  EXPECT_EQ(doc.Read("A", "new"), "5");
  EXPECT_EQ(doc.Read("b", "K"), "b");
  EXPECT_EQ(doc.Read("c", "C"), "6");
  EXPECT_EQ(doc.Read("A", "k"), "7");
  EXPECT_FALSE(doc.Read("A", "only").has_value());
  EXPECT_EQ(doc.Serialize(), "[A]\r\nk=7\r\nK=2\r\nnew=5\r\n[b]\r\nk=b\r\n[a]\r\nk=3\r\nonly=4\r\n[C]\r\nc=6\r\n");
}

TEST(ProfileWrite, MissingSectionGoesToTheEndOfTheFileWithTheFilesLineEnds) {
  auto doc = Doc(";header\n[A]\na=1");
  doc.Write("New", "k", "v");
  EXPECT_EQ(doc.Serialize(), ";header\n[A]\na=1\n[New]\nk=v\n");
  auto fresh = ProfileFile();
  fresh.Write("New", "k", "v");
  EXPECT_EQ(fresh.Serialize(), "[New]\r\nk=v\r\n");
}

TEST(ProfileWrite, TrailingBlanksDoNotSurviveAndLineBreaksCannotAddLines) {
  auto doc = ProfileFile();
  doc.Write("Messages", "Msg_12", "打开%s通讯端口... ");
  EXPECT_EQ(doc.Read("Messages", "Msg_12"), "打开%s通讯端口...");
  doc.Write("Messages", "Msg_1", "a\r\n[Evil]\nx=1");
  EXPECT_EQ(doc.Read("Messages", "Msg_1"), "a  [Evil] x=1");
  EXPECT_EQ(doc.SectionEntries("Evil"), std::nullopt);
}

TEST(ProfileEncoding, GbkFileRoundTrips) {
  // "[S]" "k=简体中文" in GBK.
  const std::string gbk = "[S]\r\nk=\xBC\xF2\xCC\xE5\xD6\xD0\xCE\xC4\r\n";
  auto doc = Doc(gbk);
  EXPECT_EQ(doc.encoding(), TextEncoding::Gbk);
  EXPECT_EQ(doc.Read("S", "k"), "简体中文");
  EXPECT_EQ(doc.Serialize(), gbk);
  doc.Write("S", "n", "设备");
  EXPECT_EQ(doc.Serialize(), gbk + "n=\xC9\xE8\xB1\xB8\r\n");
}

TEST(ProfileEncoding, Utf8FileWithMarkRoundTrips) {
  const std::string utf8 = "\xEF\xBB\xBF[S]\r\nk=Ελληνικά 简体\r\n";
  auto doc = Doc(utf8);
  EXPECT_EQ(doc.encoding(), TextEncoding::Utf8Bom);
  EXPECT_EQ(doc.Read("S", "k"), "Ελληνικά 简体");
  EXPECT_EQ(doc.Serialize(), utf8);
}

TEST(ProfileEncoding, LongTextsWithCharactersAtEveryOffsetConvertWhole) {
  for (const std::string lead : {"", "a", "ab", "abc"}) {
    std::string text;
    for (int i = 0; i < 100; ++i) text += "简体中文设备";
    auto doc = ProfileFile();
    doc.Write("S", "k", lead + text);
    const std::string bytes = doc.Serialize();
    EXPECT_EQ(bytes.find('?'), std::string::npos);
    EXPECT_EQ(ProfileFile::Parse(bytes).Read("S", "k"), lead + text);
  }
}

TEST(ProfileEncoding, UndecodableBytesBecomeReplacementCharacters) {
  // 0xFF is no GBK byte; a lead byte at the very end is cut off.
  const auto doc =
      Doc("[S]\nk=a\xFF"
          "b\nz=\xB0");
  EXPECT_EQ(doc.Read("S", "k"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(doc.Read("S", "z"), "\xEF\xBF\xBD");
  const auto utf8 = Doc("\xEF\xBB\xBF[S]\nk=a\xC3(\n");
  EXPECT_EQ(utf8.Read("S", "k"), "a\xEF\xBF\xBD(");
}

// Characters code page 936 lacks take their GB18030 form, so that no choice is lost.
TEST(ProfileEncoding, TextsGbkCannotHoldAreSavedInTheirGb18030Form) {
  auto doc = ProfileFile();
  doc.Write("S", "k", "aΩ€😀b");  // Ω and € are in code page 936, the emoji is not
  doc.Write("Language", "LanguageFile", "Français.lng");
  const std::string bytes = doc.Serialize();
  EXPECT_EQ(bytes,
            "[S]\r\nk=a\xA6\xB8\x80\x94\x39\xFC\x36"
            "b\r\n[Language]\r\nLanguageFile=Fran\x81\x30\x8A\x34"
            "ais.lng\r\n");
  const ProfileFile again = ProfileFile::Parse(bytes);
  EXPECT_EQ(again.encoding(), TextEncoding::Gbk);
  EXPECT_EQ(again.Read("S", "k"), "aΩ€😀b");
  EXPECT_EQ(again.Read("Language", "LanguageFile"), "Français.lng");
}

// Setting a key changes that key's line alone (or adds one); every other byte stays.
TEST(ProfileBytes, Utf8WithoutAMarkKeepsEveryByteWhenAKeyIsAdded) {
  const std::string before = "; 语言文件\n[FileInfo]\nLanguage=简体中文\nApplication=LUM\n[Messages]\nMsg_1=设备\n";
  auto doc = Doc(before);
  EXPECT_EQ(doc.encoding(), TextEncoding::Utf8);
  EXPECT_EQ(doc.Read("FileInfo", "Language"), "简体中文");
  EXPECT_EQ(doc.Serialize(), before);
  doc.Write("FileInfo", "Author", "张三");
  doc.Write("Messages", "Msg_1", "電池");
  EXPECT_EQ(doc.Serialize(),
            "; 语言文件\n[FileInfo]\nLanguage=简体中文\nApplication=LUM\nAuthor=张三\n[Messages]\nMsg_1=電池\n");
}

TEST(ProfileBytes, GbkWithStrayBytesKeepsEveryByteWhenAKeyIsAdded) {
  // "k=简体", a line with the stray byte 0xFF and a lead byte cut off by the line end, a
  // comment with a lone lead byte, and a last line without a line end.
  const std::string before =
      "[S]\r\nk=\xBC\xF2\xCC\xE5\r\nodd=a\xFF"
      "b\xB0\r\n;\x81\r\n[T]\r\nx=1";
  auto doc = Doc(before);
  EXPECT_EQ(doc.encoding(), TextEncoding::Gbk);
  EXPECT_EQ(doc.Read("S", "odd"), "a\uFFFDb\uFFFD");
  EXPECT_EQ(doc.Serialize(), before);
  doc.Write("S", "new", "设备");
  doc.Write("T", "x", "2");
  const std::string after =
      "[S]\r\nk=\xBC\xF2\xCC\xE5\r\nodd=a\xFF"
      "b\xB0\r\nnew=\xC9\xE8\xB1\xB8\r\n;\x81\r\n[T]\r\nx=2";
  EXPECT_EQ(doc.Serialize(), after);
  doc.Write("T", "y", "3");  // after a last line without an end, that line is ended first
  EXPECT_EQ(doc.Serialize(), after + "\r\ny=3\r\n");
}

TEST(ProfileBytes, DocumentsThatAreOnlyReadSerialiseToTheirBytes) {
  for (const std::string& bytes :
       {std::string(), std::string("\xEF\xBB\xBF"), std::string("\n\n"), std::string("a\r\r\nb\rc\n"),
        std::string("[S]\nk=v"), std::string("\xEF\xBB\xBF[S]\r\nk=\xC3(\r\n"), std::string(1, '\0') + "\x81\n\x80"}) {
    const auto doc = Doc(bytes);
    EXPECT_EQ(doc.Serialize(), bytes);
  }
}

using ProfileFiles = TempDir;

TEST_F(ProfileFiles, FileOverTheSizeLimitIsRefusedNotCut) {
  std::string big = "[S]\r\nk=v\r\n";
  big.resize(ProfileFile::kMaxFileSize + 1, ';');
  WriteRaw("big.lng", big);
  try {
    WriteProfileString(Path("big.lng"), "S", "n", "1");
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + Path("big.lng") +
                                         ": the file is too large, the limit is 16 MiB (16777216 bytes)");
  }
  EXPECT_EQ(fs::file_size(Path("big.lng")), big.size());
}

TEST_F(ProfileFiles, ReadOnlyLanguageFileIsRefusedAndKept) {
  WriteRaw("en.lng", "[S]\r\nk=v\r\n");
  fs::permissions(Path("en.lng"), fs::perms::owner_read | fs::perms::others_read);
  try {
    WriteProfileString(Path("en.lng"), "S", "k", "w");
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + Path("en.lng") + ": the file is read-only");
  }
  EXPECT_EQ(ReadWholeFile(Path("en.lng")), "[S]\r\nk=v\r\n");
}

TEST_F(ProfileFiles, MissingDirectoryOrUnreadableFilesReadAsEmpty) {
  EXPECT_EQ(ProfileFile::Load(Path("none.lng")).Read("FileInfo", "Language"), std::nullopt);
  fs::create_directory(Path("dir.lng"));
  EXPECT_EQ(ProfileFile::Load(Path("dir.lng")).Read("FileInfo", "Language"), std::nullopt);
}

TEST_F(ProfileFiles, WriteProfileStringCreatesAndUpdatesFiles) {
  WriteProfileString(Path("LUM.INI"), "Language", "LanguageFile", "LUM_en.lng");
  EXPECT_EQ(ReadWholeFile(Path("LUM.INI")), "[Language]\r\nLanguageFile=LUM_en.lng\r\n");
  WriteProfileString(Path("LUM.INI"), "language", "languagefile", "x.lng");
  EXPECT_EQ(ReadWholeFile(Path("LUM.INI")), "[Language]\r\nLanguageFile=x.lng\r\n");
}

TEST_F(ProfileFiles, WritingIntoADirectoryFailsWithTheProfileMessage) {
  fs::create_directory(Path("dir.lng"));
  try {
    WriteProfileString(Path("dir.lng"), "S", "k", "v");
    FAIL() << "no error";
  } catch (const std::runtime_error& e) {
    EXPECT_EQ(std::string(e.what()),
              "Unable to write to " + Path("dir.lng") + ": it is a directory, not a regular file");
  }
  EXPECT_TRUE(fs::is_directory(Path("dir.lng")));
}

// A GBK file whose only bytes that are not UTF-8 are overwritten would be read again as UTF-8,
// changing every other text: it keeps its texts when written and read again.
TEST(ProfileWrite, AGbkFileThatWouldReadAsUtf8KeepsItsTexts) {
  ProfileFile file = Doc("[Messages]\r\nMsg_1=\xCE\xC4\r\nMsg_2=\xC3\xA9\r\n");
  ASSERT_EQ(file.encoding(), TextEncoding::Gbk);
  const std::optional<std::string> kept = file.Read("Messages", "Msg_2");
  ASSERT_TRUE(kept.has_value());
  file.Write("Messages", "Msg_1", "a");
  const ProfileFile again = Doc(file.Serialize());
  EXPECT_EQ(again.Read("Messages", "Msg_2"), kept);
  EXPECT_EQ(again.Read("Messages", "Msg_1"), "a");
}

}  // namespace
}  // namespace lum
