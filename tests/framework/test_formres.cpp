// Form resources: text and binary forms, component streaming with defaults, defined
// properties, references and events, and defensive reading of damaged resources.
#include "framework/Component.h"
#include "framework/FormResource.h"
#include "controls/uFileEmbedder.h"
#include "container/uZLib.h"
#include "TestSupport.h"
#include <gtest/gtest.h>

using namespace testing_support;

namespace {

const char KSample[] = R"(// a comment
object frmSample: TSampleForm
  Caption = 'It''s a '#13#10'form' + 'áé'
  Left = -12
  Width = $1F4
  BorderIcons = [biMinimize, biMaximize]
  Empty = []
  Lines.Strings = (
    'one'
    ''
    'three')
  Data = {00FF10 7f}
  OnCreate = FormCreate
  Visible = False
  Nothing = nil
  object pnl: TPanel
    object btn: TButton
      Caption = 'OK'
    end
  end
  object : TUnnamed
  end
end
)";

TEST(FormResourceText, ParsesEveryValueKind) {
    TFormObject o = ParseFormText(KSample);
    EXPECT_EQ(o.ClassName, "TSampleForm");
    EXPECT_EQ(o.Name, "frmSample");
    EXPECT_EQ(o.Find("Caption")->Str, "It's a \r\nformáé");
    EXPECT_EQ(o.Find("Left")->Int, -12);
    EXPECT_EQ(o.Find("Width")->Int, 500);
    EXPECT_EQ(o.Find("BorderIcons")->Names, (std::vector<std::string>{"biMinimize", "biMaximize"}));
    EXPECT_TRUE(o.Find("Empty")->Names.empty());
    EXPECT_EQ(o.Find("Lines.Strings")->AsStrings("x"), (std::vector<std::string>{"one", "", "three"}));
    EXPECT_EQ(o.Find("Data")->Str, std::string("\x00\xFF\x10\x7F", 4));
    EXPECT_EQ(o.Find("OnCreate")->Kind, TValueKind::vkIdent);
    EXPECT_EQ(o.Find("Visible")->Kind, TValueKind::vkFalse);
    EXPECT_EQ(o.Find("Nothing")->Kind, TValueKind::vkNil);
    ASSERT_EQ(o.Children.size(), 2u);
    EXPECT_EQ(o.Children[0].Children[0].Find("Caption")->Str, "OK");
    EXPECT_EQ(o.Children[1].Name, "");
}

TEST(FormResourceText, TextAndBinaryRoundTrip) {
    TFormObject o = ParseFormText(KSample);
    std::string bin = FormToBinary(o);
    EXPECT_EQ(bin.substr(0, 4), "KFR1");
    TFormObject back = FormFromBinary(bin.data(), bin.size());
    EXPECT_EQ(back, o);
    TFormObject reparsed = ParseFormText(FormToText(back));
    EXPECT_EQ(reparsed, o);
    EXPECT_EQ(FormToBinary(reparsed), bin);
}

TEST(FormResourceText, ErrorsNameTheLine) {
    try {
        ParseFormText("object a: TA\n  X = 'open\nend\n", "f.kfm");
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "f.kfm:2: unterminated string");
    }
    EXPECT_THROW(ParseFormText("object a: TA\n X = 1\n"), EReadError);          // no end
    EXPECT_THROW(ParseFormText("object a: TA end end"), EReadError);            // trailing text
    EXPECT_THROW(ParseFormText("object a: TA X = 99999999999 end"), EReadError);
    EXPECT_THROW(ParseFormText("object a: TA X = {ABC} end"), EReadError);      // odd digits
    EXPECT_THROW(ParseFormText("object a: TA X = #300 end"), EReadError);
    std::string deep;
    for (int i = 0; i < 100; ++i) deep += "object a: TA\n";
    EXPECT_THROW(ParseFormText(deep), EReadError);
}

TEST(FormResourceBinary, EveryTruncationFailsCleanly) {
    std::string bin = FormToBinary(ParseFormText(KSample));
    for (size_t n = 0; n < bin.size(); ++n)
        EXPECT_THROW(FormFromBinary(bin.data(), n), EReadError) << "length " << n;
    std::string extra = bin + "x";
    EXPECT_THROW(FormFromBinary(extra.data(), extra.size()), EReadError);
}

TEST(FormResourceBinary, LengthsPastTheDataAndBadKindsAreRejected) {
    // A string claiming 2 GiB must fail before anything that size is allocated.
    std::string bin = std::string("KFR1") + "\x01" "T" "\x01" "a" "\x01" "S" "\x04" "\xF0\xFF\xFF\x7F" "ab";
    try {
        FormFromBinary(bin.data(), bin.size());
        FAIL() << "no error";
    } catch (const EReadError& e) {
        EXPECT_NE(std::string(e.what()).find("runs past the end"), std::string::npos) << e.what();
    }
    std::string badKind = std::string("KFR1") + "\x01" "T" "\x00" "\x01" "P" "\x2A" "\x00\x00";
    EXPECT_THROW(FormFromBinary(badKind.data(), badKind.size()), EReadError);
    std::string noSig = "KFR2";
    EXPECT_THROW(FormFromBinary(noSig.data(), noSig.size()), EReadError);
    // Lists nested past the depth limit: refused instead of recursing without bound.
    std::string deep = std::string("KFR1") + "\x01" "T" "\x00" "\x01" "P" + std::string(10000, '\x07');
    EXPECT_THROW(FormFromBinary(deep.data(), deep.size()), EReadError);
}

TEST(FormResourceBinary, RandomDamageNeverCrashes) {
    std::string bin = FormToBinary(ParseFormText(KSample));
    for (uint32_t seed = 0; seed < 2000; ++seed) {
        std::string damaged = bin;
        Bytes r = RandomBytes(3, seed);
        damaged[r[0] % damaged.size()] = static_cast<char>(r[1]);
        damaged[r[2] % damaged.size()] ^= static_cast<char>(seed);
        try {
            FormFromBinary(damaged.data(), damaged.size());
        } catch (const EReadError&) {
        }
    }
}

// ---- component streaming --------------------------------------------------------------------

const char* const KShapeNames[] = {"shCircle", "shSquare", "shStar"};
const TEnumInfo KShapeInfo = {KShapeNames, 3};
const char* const KStyleNames[] = {"fsBold", "fsItalic", "fsUnderline"};
const TEnumInfo KStyleInfo = {KStyleNames, 3};

class TTestFont : public TPersistent {
public:
    KESTRIN_CLASS(TTestFont)
    std::string FontName = "Arial";
    int32_t Height = -11;
    uint32_t Style = 0;
    void Properties(TPropFiler& f) override {
        f.String("Name", FontName, [this](const std::string& v) { FontName = v; }, true);
        f.Integer("Height", Height, [this](int32_t v) { Height = v; }, -11);
        f.Set("Style", Style, KStyleInfo, [this](uint32_t v) { Style = v; }, 0u);
    }
};

class TBox;
class TGadget : public TComponent {
public:
    KESTRIN_CLASS(TGadget)
    explicit TGadget(TComponent* owner) : TComponent(owner) { Lines.OnChange = [this](TObject*) { ++LineChanges; }; }
    ~TGadget() override { if (Buddy) Buddy->RemoveFreeNotification(this); }

    int32_t Size = 10;
    bool Active = true;
    std::string ImageID = "Image";
    std::string Hint;
    int Shape = 0;
    TColor Color = clBtnFace;
    TStringList Lines;
    TTestFont Font;
    bool ParentFont = true;
    TComponent* Buddy = nullptr;
    TNotifyEvent OnPoke;
    std::string Blob;
    std::vector<std::string> Order;  // the order in which properties were read
    int LineChanges = 0;
    TComponent* Parent = nullptr;
    TComponent* GetParentComponent() const override { return Parent; }
    void SetParentComponent(TComponent* p) override;

    void SetBuddy(TComponent* c) {
        if (Buddy) Buddy->RemoveFreeNotification(this);
        Buddy = c;
        if (c) c->FreeNotification(this);
    }
    void Properties(TPropFiler& f) override {
        TComponent::Properties(f);
        f.Integer("Size", Size, [this](int32_t v) { Size = v; Order.push_back("Size"); }, 10);
        f.Boolean("Active", Active, [this](bool v) { Active = v; Order.push_back("Active"); }, true);
        f.String("ImageID", ImageID, [this](const std::string& v) { ImageID = v; }, true);
        f.String("Hint", Hint, [this](const std::string& v) { Hint = v; });
        f.Enum("Shape", Shape, KShapeInfo, [this](int v) { Shape = v; }, 0);
        f.Color("Color", Color, [this](TColor v) { Color = v; }, clBtnFace);
        f.Strings("Lines", Lines);
        f.Boolean("ParentFont", ParentFont, [this](bool v) { ParentFont = v; }, true);
        f.Object("Font", Font, !ParentFont);
        f.Component("Buddy", Buddy, [this](TComponent* c) { SetBuddy(c); });
        f.Event("OnPoke", OnPoke);
    }
    void DefineProperties(TPropFiler& f) override {
        f.DefineProperty("RealText", [this](const TFormValue& v) { Lines.SetText(v.AsString("RealText")); Order.push_back("RealText"); },
                         [this] { return TFormValue::String(Lines.Text()); }, Lines.Count() > 0);
        f.DefineBinaryProperty("Blob", [this](TStream& s) { Blob.resize(static_cast<size_t>(s.Size())); s.ReadBuffer(Blob.data(), Blob.size()); },
                               !Blob.empty());
    }
    void WriteBlob(TStream& s) { s.WriteBuffer(Blob.data(), Blob.size()); }

protected:
    void Notification(TComponent* c, TOperation op) override {
        TComponent::Notification(c, op);
        if (op == opRemove && c == Buddy) Buddy = nullptr;
    }
};

class TBox : public TComponent {
public:
    KESTRIN_CLASS(TBox)
    explicit TBox(TComponent* owner) : TComponent(owner) {}
    TBox* Parent = nullptr;
    std::vector<TComponent*> Kids;
    TComponent* GetParentComponent() const override { return Parent; }
    void SetParentComponent(TComponent* p) override { Parent = dynamic_cast<TBox*>(p); if (Parent) Parent->Kids.push_back(this); }
    void GetChildren(TFunctionRef<void(TComponent*)> proc, TComponent* root) override {
        for (TComponent* k : Kids) if (k->Owner() == root) proc(k);
        TComponent::GetChildren(proc, root);
    }
};

void TGadget::SetParentComponent(TComponent* p) {
    if (auto* box = dynamic_cast<TBox*>(p)) { Parent = box; box->Kids.push_back(this); }
}

class TSampleRoot : public TComponent {
public:
    KESTRIN_CLASS(TSampleRoot)
    explicit TSampleRoot(TComponent* owner) : TComponent(owner) {
        RegisterMethod("GadgetPoke", [this](TObject*) { ++Pokes; });
    }
    ~TSampleRoot() override { DestroyComponents(); }
    int Pokes = 0;
};

struct ComponentStreaming : ::testing::Test {
    void SetUp() override {
        RegisterComponent<TGadget>();
        RegisterComponent<TBox>();
        RegisterBinaryPropertyWriter<TGadget, &TGadget::WriteBlob>("Blob");
    }
};

// A binary property of the same name as the gadget's, whose class registered no writer.
class TUnwritable : public TComponent {
public:
    KESTRIN_CLASS(TUnwritable)
    using TComponent::TComponent;
    void DefineProperties(TPropFiler& f) override { f.DefineBinaryProperty("Blob", [](TStream&) {}, true); }
};

TEST_F(ComponentStreaming, ABinaryPropertyWithoutItsWriterIsRefusedNotLeftOut) {
    TSampleRoot root(nullptr);
    (new TUnwritable(&root))->SetName("u");
    EXPECT_THROW(WriteComponentResource(root), EWriteError);
}

TEST_F(ComponentStreaming, DefaultsAreNotWrittenAndDefinedPropertiesComeLast) {
    TSampleRoot root(nullptr);
    root.SetName("Root");
    auto* g = new TGadget(&root);
    g->SetName("g1");
    TFormObject res = WriteComponentResource(root);
    ASSERT_EQ(res.Children.size(), 1u);
    // Only the always-written ImageID: everything else is at its default.
    ASSERT_EQ(res.Children[0].Properties.size(), 1u);
    EXPECT_EQ(res.Children[0].Properties[0].Name, "ImageID");

    g->Lines.SetText("a\r\nb");
    g->Blob = std::string("\x01\x00\x02", 3);
    g->Size = 11;
    g->ParentFont = false;
    g->Font.Style = 5;
    res = WriteComponentResource(root);
    std::vector<std::string> names;
    for (const auto& p : res.Children[0].Properties) names.push_back(p.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Size", "ImageID", "Lines.Strings", "ParentFont", "Font.Name",
                                               "Font.Style", "RealText", "Blob"}));
    EXPECT_EQ(res.Children[0].Find("RealText")->Str, "a\r\nb\r\n");
    EXPECT_EQ(res.Children[0].Find("Font.Style")->Names, (std::vector<std::string>{"fsBold", "fsUnderline"}));
}

TEST_F(ComponentStreaming, EveryPropertyRoundTripsThroughTheBinaryForm) {
    std::string bin;
    {
        TSampleRoot root(nullptr);
        root.SetName("Root");
        auto* box = new TBox(&root);
        box->SetName("box");
        auto* g = new TGadget(&root);
        g->SetName("g1");
        g->SetParentComponent(box);
        auto* other = new TGadget(&root);
        other->SetName("g2");
        g->Size = -5; g->Active = false; g->ImageID = ""; g->Hint = "hi"; g->Shape = 2;
        g->Color = 0x123456; g->Lines.SetText("x\r\ny"); g->ParentFont = false;
        g->Font.FontName = "MS UI Gothic"; g->Font.Height = -12; g->SetBuddy(other);
        g->OnPoke = TNotifyEvent("GadgetPoke", nullptr);
        g->Blob = "\xDE\xAD";
        other->Color = clWindow;
        bin = FormToBinary(WriteComponentResource(root));
    }
    TSampleRoot root(nullptr);
    ReadComponentResource(root, bin.data(), bin.size());
    EXPECT_EQ(root.Name(), "Root");
    auto* box = dynamic_cast<TBox*>(root.FindComponent("box"));
    auto* g = dynamic_cast<TGadget*>(root.FindComponent("g1"));
    auto* other = dynamic_cast<TGadget*>(root.FindComponent("g2"));
    ASSERT_TRUE(box && g && other);
    EXPECT_EQ(box->Kids, std::vector<TComponent*>{g});
    EXPECT_EQ(g->Size, -5);
    EXPECT_FALSE(g->Active);
    EXPECT_EQ(g->ImageID, "");
    EXPECT_EQ(g->Hint, "hi");
    EXPECT_EQ(g->Shape, 2);
    EXPECT_EQ(g->Color, 0x123456);
    EXPECT_EQ(g->Lines.Text(), "x\r\ny\r\n");
    EXPECT_FALSE(g->ParentFont);
    EXPECT_EQ(g->Font.FontName, "MS UI Gothic");
    EXPECT_EQ(g->Font.Height, -12);
    EXPECT_EQ(g->Buddy, other);
    EXPECT_EQ(g->Blob, "\xDE\xAD");
    EXPECT_EQ(other->Color, clWindow);
    g->OnPoke(g);
    EXPECT_EQ(root.Pokes, 1);
    // Writing what was read gives the same resource again.
    EXPECT_EQ(FormToBinary(WriteComponentResource(root)), bin);
    // A referenced component's end clears the reference.
    delete other;
    EXPECT_EQ(g->Buddy, nullptr);
}

TEST_F(ComponentStreaming, DefinedPropertyDecidesOverPublishedList) {
    TFormObject res = ParseFormText(R"(object Root: TSampleRoot
  object g: TGadget
    Lines.Strings = ('old')
    RealText = 'new'#13#10'text'#13#10
  end
end)");
    TSampleRoot root(nullptr);
    ReadComponentResource(root, res);
    auto* g = dynamic_cast<TGadget*>(root.FindComponent("g"));
    ASSERT_TRUE(g);
    EXPECT_EQ(g->Lines.Text(), "new\r\ntext\r\n");
    EXPECT_EQ(g->Order, std::vector<std::string>{"RealText"});
}

TEST_F(ComponentStreaming, BadResourcesRaiseReadErrors) {
    auto load = [](const char* text) {
        TSampleRoot root(nullptr);
        ReadComponentResource(root, ParseFormText(text));
    };
    EXPECT_THROW(load("object R: TOther end"), EReadError);
    EXPECT_THROW(load("object R: TSampleRoot object g: TNoSuchClass end end"), EReadError);
    EXPECT_THROW(load("object R: TSampleRoot object g: TGadget Bogus = 1 end end"), EReadError);
    EXPECT_THROW(load("object R: TSampleRoot object g: TGadget Size = 'x' end end"), EReadError);
    EXPECT_THROW(load("object R: TSampleRoot object g: TGadget Shape = shOval end end"), EReadError);
    EXPECT_THROW(load("object R: TSampleRoot object g: TGadget Buddy = nobody end end"), EReadError);
    EXPECT_THROW(load("object R: TSampleRoot object g: TGadget OnPoke = NoHandler end end"), EReadError);
    EXPECT_THROW(load("object R: TSampleRoot object g: TGadget RealText = 5 end end"), EReadError);
    EXPECT_THROW(load("object R: TSampleRoot object g: TGadget Font.Bogus = 1 end end"), EReadError);
}

TEST(ComponentModel, OwnerFreesOwnedAndNotifiesSiblings) {
    struct TWatcher : TComponent {
        using TComponent::TComponent;
        std::vector<TComponent*> Removed;
        void Notification(TComponent* c, TOperation op) override { if (op == opRemove) Removed.push_back(c); }
    };
    auto* owner = new TComponent(nullptr);
    auto* w = new TWatcher(owner);
    auto* a = new TComponent(owner);
    a->SetName("A");
    EXPECT_EQ(owner->FindComponent("a"), a);  // names are found regardless of case
    delete a;
    EXPECT_EQ(w->Removed, std::vector<TComponent*>{a});
    EXPECT_EQ(owner->ComponentCount(), 1);
    delete owner;  // frees w as well (the sanitizer build checks for leaks)
}

// ---- file embedder --------------------------------------------------------------------------

struct FileEmbedder : ::testing::Test {
    void SetUp() override {
        RegisterComponent<TFileEmbedder>();
        TFileEmbedder::RegisterWriter();
    }
    TempDir dir;

    std::string Store(const std::string& fileName, bool compressed) {
        TSampleRoot root(nullptr);
        auto* e = new TFileEmbedder(&root);
        e->SetName("emb");
        e->SetFileName(fileName);
        e->SetCompressed(compressed);
        return FormToBinary(WriteComponentResource(root));
    }
    TFileEmbedder* Load(TSampleRoot& root, const std::string& bin) {
        ReadComponentResource(root, bin.data(), bin.size());
        return dynamic_cast<TFileEmbedder*>(root.FindComponent("emb"));
    }
};

TEST_F(FileEmbedder, CarriesAFileCompressedAndWritesItOutTwice) {
    Bytes payload = RandomBytes(5000, 7);
    payload.insert(payload.end(), 20000, 'A');
    WriteFile(dir.File("in.exe"), payload);
    std::string bin = Store(dir.File("in.exe"), true);
    TFormObject res = FormFromBinary(bin.data(), bin.size());
    const TFormValue* data = res.Children[0].Find("EmbededData");
    ASSERT_TRUE(data);
    EXPECT_EQ(res.Children[0].Find("Compressed"), nullptr);  // at its default
    EXPECT_LT(data->Str.size(), payload.size());
    TBuffer plain;
    DecompressBuffer(data->Str.data() + 4, data->Str.size() - 4, plain);
    EXPECT_EQ(Bytes(plain.Data(), plain.Data() + plain.Size()), payload);

    TSampleRoot root(nullptr);
    TFileEmbedder* e = Load(root, bin);
    ASSERT_TRUE(e);
    e->SaveToFile(dir.File("a.exe"));
    e->SaveToFile(dir.File("b.exe"));
    EXPECT_EQ(ReadFile(dir.File("a.exe")), payload);
    EXPECT_EQ(ReadFile(dir.File("b.exe")), payload);
}

TEST_F(FileEmbedder, UncompressedIsCountThenExactBytes) {
    WriteFile(dir.File("f"), ToBytes("MZ raw"));
    std::string bin = Store(dir.File("f"), false);
    TFormObject res = FormFromBinary(bin.data(), bin.size());
    EXPECT_EQ(res.Children[0].Find("Compressed")->Kind, TValueKind::vkFalse);
    EXPECT_EQ(res.Children[0].Find("EmbededData")->Str, std::string("\x06\x00\x00\x00MZ raw", 10));
    TSampleRoot root(nullptr);
    EXPECT_EQ(Load(root, bin)->Data().Size(), 6);
}

TEST_F(FileEmbedder, MissingFileStoresNothingAndWritesAnEmptyFile) {
    std::string bin = Store(dir.File("missing"), true);
    TFormObject res = FormFromBinary(bin.data(), bin.size());
    EXPECT_EQ(res.Children[0].Find("EmbededData")->Str, std::string(4, '\0'));
    TSampleRoot root(nullptr);
    TFileEmbedder* e = Load(root, bin);
    e->SaveToFile(dir.File("out"));
    EXPECT_TRUE(ReadFile(dir.File("out")).empty());
    EXPECT_TRUE(FileExists(dir.File("out")));
}

TEST_F(FileEmbedder, DamagedDataFailsWhileLoading) {
    auto load = [](const std::string& data, bool compressed) {
        TFormObject res = ParseFormText("object R: TSampleRoot object emb: TFileEmbedder FileName = 'x' end end");
        if (!compressed) res.Children[0].Properties.push_back({"Compressed", TFormValue::Boolean(false)});
        res.Children[0].Properties.push_back({"EmbededData", TFormValue::Binary(data)});
        TSampleRoot root(nullptr);
        ReadComponentResource(root, res);
    };
    EXPECT_THROW(load(std::string("\x04\x00\x00\x00" "abcd", 8), true), EZDecompressionError);
    EXPECT_THROW(load(std::string("\xFF\x00\x00\x00" "abcd", 8), false), EReadError);
    EXPECT_THROW(load(std::string("\x02\x00", 2), true), EReadError);
}

std::string GDesignMessage;

TEST_F(FileEmbedder, DesignTimeRefusesAMissingFile) {
    SetDesignMessageHandler([](const std::string& text) { GDesignMessage = text; });
    TFileEmbedder e(nullptr);
    e.SetFileName("kept");
    e.SetDesigning(true);
    e.SetFileName(dir.File("nothing-here"));
    EXPECT_EQ(e.FileName(), "kept");
    EXPECT_EQ(GDesignMessage, dir.File("nothing-here") + " was not found");
    SetDesignMessageHandler(nullptr);
}

}  // namespace

#ifndef _WIN32
namespace {
// The form compiler as the build runs it: design-time steps, code page, decompiling.
TEST(FormCompiler, EmbedsTheFileConvertsTextAndDecompiles) {
    TempDir dir;
    Bytes payload = RandomBytes(3000, 11);
    WriteFile(dir.File("uninst.exe"), payload);
    WriteFile(dir.File("f.kfm"), ToBytes("object F: TSampleRoot\n  Caption = 'ｷｬﾝｾﾙ'\n"
                                          "  object emb: TFileEmbedder\n    FileName = 'uninst.exe'\n  end\nend\n"));
    std::string formc = (EnvPath("KESTRIN_BIN_DIR") / "tools/formc/formc").string();
    ASSERT_EQ(std::system((formc + " --codepage 932 " + dir.File("f.kfm") + " -o " + dir.File("f.kfr")).c_str()), 0);
    Bytes bin = ReadFile(dir.File("f.kfr"));
    TFormObject res = FormFromBinary(bin.data(), bin.size());
    EXPECT_EQ(res.Find("Caption")->Str, "\xB7\xAC\xDD\xBE\xD9");
    RegisterComponent<TFileEmbedder>();
    TSampleRoot root(nullptr);
    TFormObject noCaption = res;
    noCaption.Properties.clear();  // the sample root has no caption
    ReadComponentResource(root, noCaption);
    auto* e = dynamic_cast<TFileEmbedder*>(root.FindComponent("emb"));
    ASSERT_TRUE(e);
    EXPECT_EQ(Bytes(e->Data().Memory(), e->Data().Memory() + e->Data().Size()), payload);
    ASSERT_EQ(std::system((formc + " --decompile " + dir.File("f.kfr") + " -o " + dir.File("back.kfm")).c_str()), 0);
    Bytes text = ReadFile(dir.File("back.kfm"));
    EXPECT_EQ(ParseFormText(std::string(text.begin(), text.end())), res);
    // An embedder naming a missing or empty file is refused, and nothing is written.
    WriteFile(dir.File("empty.exe"), Bytes());
    for (const char* name : {"missing.exe", "empty.exe"}) {
        WriteFile(dir.File("e.kfm"), ToBytes(std::string("object F: TSampleRoot\n  object emb: TFileEmbedder\n") +
                                             "    FileName = '" + name + "'\n  end\nend\n"));
        EXPECT_NE(std::system((formc + " " + dir.File("e.kfm") + " -o " + dir.File("e.kfr") + " 2>/dev/null").c_str()), 0)
            << name;
        EXPECT_FALSE(FileExists(dir.File("e.kfr"))) << name;
    }
    // A broken source fails and leaves no output behind.
    WriteFile(dir.File("bad.kfm"), ToBytes("object F: TSampleRoot\n  X = 'open\nend\n"));
    EXPECT_NE(std::system((formc + " " + dir.File("bad.kfm") + " -o " + dir.File("bad.kfr") + " 2>/dev/null").c_str()), 0);
    EXPECT_FALSE(FileExists(dir.File("bad.kfr")));
}
}  // namespace
#endif
