#include "shell/unit_access.h"

#include "runtime/runtime_services.h"
#include "shell/main_window.h"

namespace wht {
namespace {
// This program passes -1 as the services' extra argument in every call.
const uint32_t kNoExtra = 0xFFFFFFFFu;

uint64_t Read(uint32_t unit, int32_t property) {
    return RuntimeServices().ReadUnitProperty(kMainWindow, unit, property, kNoExtra);
}
void Write(uint32_t unit, int32_t property, uintptr_t low) {
    RuntimeServices().WriteUnitProperty(kMainWindow, unit, property, kNoExtra, low, 0);
}
}  // namespace

TextVar ReadText(uint32_t unit, int32_t property) {
    return TextVar(reinterpret_cast<Text>(static_cast<uintptr_t>(Read(unit, property))));
}
void WriteText(uint32_t unit, int32_t property, const char* text) {
    Write(unit, property, reinterpret_cast<uintptr_t>(text ? text : ""));
}
int32_t ReadInt(uint32_t unit, int32_t property) { return static_cast<int32_t>(Read(unit, property)); }
void WriteInt(uint32_t unit, int32_t property, int32_t value) { Write(unit, property, static_cast<uint32_t>(value)); }
bool ReadBool(uint32_t unit, int32_t property) { return static_cast<uint32_t>(Read(unit, property)) != 0; }
void WriteBool(uint32_t unit, int32_t property, bool value) { Write(unit, property, value ? 1 : 0); }

ByteSetVar ReadBytes(uint32_t unit, int32_t property) {
    return ByteSetVar(reinterpret_cast<ByteSet>(static_cast<uintptr_t>(Read(unit, property))));
}
void WriteBytes(uint32_t unit, int32_t property, const ByteSetVar& bytes) {
    Write(unit, property, reinterpret_cast<uintptr_t>(bytes.block()));
}

TextVar ReadInput() { return ReadText(k编辑框_QZ输入, kPropContent); }
TextVar ReadOutput() { return ReadText(k编辑框_357输出, kPropContent); }
void WriteInput(const char* text) { WriteText(k编辑框_QZ输入, kPropContent, text); }
namespace {
// The GBK text last written into the output box: bytes that GBK decoding does not give back
// whole (a lone lead byte, 0x80) survive here for a save as GBK.
TextVar g_outputGbk;
}  // namespace

void WriteOutput(const char* text) {
    g_outputGbk = TextVar();
    WriteText(k编辑框_357输出, kPropContent, text);
    g_outputGbk = JoinTexts({text ? text : ""});
}
TextVar LastOutputGbk() { return JoinTexts({g_outputGbk.c_str()}); }
ByteSetVar ReadInputWide() { return ReadBytes(k编辑框_QZ输入, kPropContentWide); }
ByteSetVar ReadOutputWide() { return ReadBytes(k编辑框_357输出, kPropContentWide); }
void WriteInputWide(const ByteSetVar& units) { WriteBytes(k编辑框_QZ输入, kPropContentWide, units); }
void WriteOutputWide(const ByteSetVar& units) {
    g_outputGbk = TextVar();
    WriteBytes(k编辑框_357输出, kPropContentWide, units);
}
}  // namespace wht
