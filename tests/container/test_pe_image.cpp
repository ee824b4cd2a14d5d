#include "PeBuilder.h"
#include "container/uPEUtils.h"
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
void Load(TPEImage& image, const Bytes& bytes) {
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), bytes.size());
    image.LoadFromStream(s);
}
Bytes Save(TPEImage& image) {
    TMemoryStream s;
    image.SaveToStream(s);
    return Bytes(s.Memory(), s.Memory() + s.Size());
}
std::string LoadError(const Bytes& bytes) {
    TPEImage image;
    try {
        Load(image, bytes);
    } catch (const EImageBlockException& e) {
        return e.what();
    }
    return "loaded";
}
}  // namespace

TEST(PEImage, MinGWProgramRoundTripsByteForByteAndEndsAtItsImage) {
    const std::string path = Fixture("tiny.exe");
    Bytes original = ReadFile(path);
    ASSERT_GT(original.size(), 1000u) << path;
    TPEImage image(path);
    ASSERT_TRUE(image.NTHeaders);
    EXPECT_EQ(image.FileSize, int64_t(original.size()));
    EXPECT_EQ(image.EndOfImage(), original.size());
    EXPECT_EQ(Save(image), original);
    // MinGW programs carry a .bss without raw data; it must not shrink the header gap to nothing.
    TSectionHeader* bss = image.FindSection(".BSS");
    ASSERT_NE(bss, nullptr);
    EXPECT_EQ(bss->SizeOfRawData(), 0u);
    EXPECT_GT(image.HeaderGap->Size, 0);
    EXPECT_NE(image.FindSection(".TEXT"), nullptr);
    EXPECT_EQ(image.FindSection(".nosuch"), nullptr);
}

TEST(PEImage, AppendedDataIsDroppedOnSave) {
    Bytes original = ReadFile(Fixture("tiny.exe"));
    Bytes withTail = original;
    withTail.insert(withTail.end(), 5000, 0x5A);
    TempDir dir;
    WriteFile(dir.File("a.exe"), withTail);
    TPEImage image(dir.File("a.exe"));
    EXPECT_EQ(image.EndOfImage(), original.size());
    image.SaveToFile(dir.File("b.exe"));
    EXPECT_EQ(ReadFile(dir.File("b.exe")), original);
    EXPECT_EQ(image.FileSize, int64_t(original.size()));
}

TEST(PEImage, SectionsWithoutRawDataTakeNoPartInTheLayout) {
    TPEImage image;
    Load(image, BuildTypicalPE());
    ASSERT_EQ(image.Sections.size(), 3u);
    EXPECT_EQ(image.EndOfImage(), 0xA00u);  // end of .data, though .bss is last in the table
    EXPECT_EQ(image.HeaderGap->Position, TestLfanew + 248 + 3 * 40);
    EXPECT_EQ(image.HeaderGap->Position + image.HeaderGap->Size, 0x400);
    EXPECT_EQ(Save(image), BuildTypicalPE());
    image.UpdateSizeOfImage();
    EXPECT_EQ(image.NTHeaders->SizeOfImage, 0x1000u + 0x1000 + 0x1000 + 0x1000);
    EXPECT_EQ(image.NTHeaders->SizeOfImageField(), image.NTHeaders->SizeOfImage);
}

TEST(PEImage, OnlyTheLastSectionInTheFileMayGrow) {
    TPEImage image;
    Load(image, BuildTypicalPE());
    TSectionHeader* data = image.FindSection(".data");
    TMemoryStream grown;
    grown.SetSize(0x600);
    data->SectionData->LoadFromStream(grown, 0, 0x600);
    data->SetSizeOfRawData(0x600);
    Bytes saved = Save(image);
    EXPECT_EQ(saved.size(), 0x800u + 0x600);
    EXPECT_EQ(saved[0x400], 0xCC);  // .text untouched
}

TEST(PEImage, BadSignaturesAndImpossibleLayoutsRaise) {
    Bytes good = BuildTypicalPE();
    Bytes noMZ = good;
    noMZ[0] = 'Z';
    EXPECT_EQ(LoadError(noMZ), "Bad Signature");
    Bytes noPE = good;
    noPE[TestLfanew + 1] = 'X';
    EXPECT_EQ(LoadError(noPE), "Bad Signature");
    Bytes farHeaders = good;
    Put32(farHeaders, 60, 0x7FFFFFF0);
    EXPECT_EQ(LoadError(farHeaders), "Bad Signature");
    Bytes manySections = good;
    Put16(manySections, TestLfanew + 6, 0xFFFF);  // table runs past the file
    EXPECT_EQ(LoadError(manySections), "Bad Signature");
    Bytes hugeSection = good;
    Put32(hugeSection, TestLfanew + 248 + 16, 0xF0000000);
    EXPECT_EQ(LoadError(hugeSection), "Bad Signature");
    Bytes pe32plus = good;
    Put16(pe32plus, TestLfanew + 24, 0x20B);
    EXPECT_EQ(LoadError(pe32plus), "Bad Signature");
    // Raw data inside the headers would overwrite them when the image is saved.
    Bytes dataInHeaders = BuildPE({{".text", 0x300, 0x1000, 0x400, 0x400, 0xCC},
                                   {".odd", 0x100, 0x2000, 0x100, TestLfanew + 248 + 40, 0xEE}});
    EXPECT_EQ(LoadError(dataInHeaders), "Bad Signature");
    Bytes overlapping = BuildPE({{".text", 0x300, 0x1000, 0x400, 0x400, 0xCC},
                                 {".data", 0x100, 0x2000, 0x200, 0x600, 0xEE}});
    EXPECT_EQ(LoadError(overlapping), "Bad Signature");
    EXPECT_EQ(LoadError({'M', 'Z'}), "Bad Signature");
    EXPECT_EQ(LoadError({}), "Bad Signature");
}

TEST(PEImage, EveryTruncationLoadsSoundlyOrRaises) {
    Bytes good = BuildTypicalPE();
    for (size_t n = 0; n < good.size(); n += 7) {
        Bytes cut(good.begin(), good.begin() + n);
        TPEImage image;
        try {
            Load(image, cut);
            // A truncated last section reads as zeros and keeps its declared size.
            EXPECT_EQ(image.EndOfImage(), 0xA00u);
        } catch (const EImageBlockException&) {
        }
    }
}

TEST(PEImage, MissingFileLeavesTheImageEmpty) {
    TempDir dir;
    TPEImage image(dir.File("none.exe"));
    EXPECT_FALSE(image.DOSHeader);
    EXPECT_TRUE(image.Sections.empty());
    EXPECT_EQ(image.EndOfImage(), 0u);
}

namespace {
struct TTextOperator : TChangeableDataOperator {
    explicit TTextOperator(TSectionHeader* h) : TChangeableDataOperator(h) { Attach(); }
    std::string GetSectionName() const override { return ".TEXT"; }
    void Parse() override { Parsed = true; }
    bool Parsed = false;
};
}  // namespace

TEST(PEImage, SectionOperatorAcceptsOnlyItsSection) {
    TPEImage image;
    Load(image, BuildTypicalPE());
    EXPECT_TRUE(TTextOperator(image.FindSection(".text")).Parsed);
    EXPECT_THROW(TTextOperator(image.FindSection(".data")), EImageBlockException);
    EXPECT_THROW(TTextOperator(nullptr), EImageBlockException);
    EXPECT_EQ(AlignUp(0x1001, 0x1000), 0x2000u);
    EXPECT_EQ(AlignUp(0x1000, 0x1000), 0x1000u);
    EXPECT_TRUE(HighBitSet(SetHighBit(5)));
    EXPECT_EQ(ClearHighBit(SetHighBit(5)), 5u);
}

namespace {
TPEFileFacts Facts(const Bytes& bytes) {
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), bytes.size());
    return ReadPEFileFacts(s);
}
}  // namespace

// A screensaver must be a program Windows can start: 32- or 64-bit, GUI or console; a DLL, a
// driver or anything without the headers is told apart, and no cut of the headers raises.
TEST(PEImage, FileFactsTellProgramsFromLibrariesAndOtherFiles) {
    Bytes gui = BuildTypicalPE();
    Put16(gui, TestLfanew + 24 + 68, 2);
    TPEFileFacts f = Facts(gui);
    EXPECT_EQ(f.Kind, TPEFileKind::Program);
    EXPECT_FALSE(f.Wide);
    EXPECT_EQ(f.Subsystem, 2);
    EXPECT_EQ(Facts(ReadFile(Fixture("tiny.exe"))).Kind, TPEFileKind::Program);

    Bytes wide = gui;  // the fields read lie at the same places in both optional headers
    Put16(wide, TestLfanew + 24, 0x20B);
    Put16(wide, TestLfanew + 20, 240);
    f = Facts(wide);
    EXPECT_EQ(f.Kind, TPEFileKind::Program);
    EXPECT_TRUE(f.Wide);

    Bytes dll = gui;
    Put16(dll, TestLfanew + 22, 0x2102);
    EXPECT_EQ(Facts(dll).Kind, TPEFileKind::Library);
    Bytes driver = gui;
    Put16(driver, TestLfanew + 24 + 68, 1);  // native
    EXPECT_EQ(Facts(driver).Kind, TPEFileKind::OtherImage);
    Bytes boot = gui;
    Put16(boot, TestLfanew + 24 + 68, 10);  // EFI application
    EXPECT_EQ(Facts(boot).Kind, TPEFileKind::OtherImage);
    Bytes notExecutable = gui;
    Put16(notExecutable, TestLfanew + 22, 0x0100);
    EXPECT_EQ(Facts(notExecutable).Kind, TPEFileKind::OtherImage);

    Bytes rom = gui;
    Put16(rom, TestLfanew + 24, 0x107);
    Bytes shortHeader = gui;
    Put16(shortHeader, TestLfanew + 20, 68);  // ends before the subsystem
    Bytes noSignature = gui;
    noSignature[TestLfanew + 1] = 'X';
    for (const Bytes& b : {rom, shortHeader, noSignature, ToBytes("MZ but no more"), ToBytes("plain text, long enough"),
                           Bytes()})
        EXPECT_EQ(Facts(b).Kind, TPEFileKind::NotAnImage);
    for (size_t n = 0; n < TestLfanew + 24 + 70; ++n)
        EXPECT_EQ(Facts(Bytes(gui.begin(), gui.begin() + n)).Kind, TPEFileKind::NotAnImage) << n;
}
