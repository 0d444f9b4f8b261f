#include <angelscript.h>

#include <cstdint>
#include <new>
#include <string>

#include "script/Registration.h"
#include "script/ScriptString.h"

namespace reelkeep {

using namespace AngelScript;

namespace {

using Bits = std::uint32_t;

void ConstructBits(void* memory, Bits value) {
    new (memory) Bits(value);
}
Bits ToUint(const Bits& self) {
    return self;
}
bool BitsEqual(const Bits& self, Bits other) {
    return self == other;
}
Bits BitsComplement(const Bits& self) {
    return ~self;
}

Bits And(const Bits& self, Bits other) {
    return self & other;
}
Bits Or(const Bits& self, Bits other) {
    return self | other;
}
Bits Xor(const Bits& self, Bits other) {
    return self ^ other;
}
Bits ShiftLeft(const Bits& self, Bits count) {
    return count >= 32 ? 0 : self << count;
}
Bits ShiftRight(const Bits& self, Bits count) {
    return count >= 32 ? 0 : self >> count;
}
Bits ShiftLeftReversed(const Bits& self, Bits value) {
    return self >= 32 ? 0 : value << self;
}
Bits ShiftRightReversed(const Bits& self, Bits value) {
    return self >= 32 ? 0 : value >> self;
}

Bits& AndAssign(Bits& self, Bits other) {
    return self &= other;
}
Bits& OrAssign(Bits& self, Bits other) {
    return self |= other;
}
Bits& XorAssign(Bits& self, Bits other) {
    return self ^= other;
}
Bits& ShiftLeftAssign(Bits& self, Bits count) {
    return self = ShiftLeft(self, count);
}
Bits& ShiftRightAssign(Bits& self, Bits count) {
    return self = ShiftRight(self, count);
}

}  // namespace

void RegisterBitsType(ScriptEngine* engine) {
    const auto check = [](int r, const char* what) { CheckRegistration(r, what); };
    check(engine->RegisterObjectType("bits", sizeof(Bits),
                                     asOBJ_VALUE | asOBJ_POD | asOBJ_APP_PRIMITIVE),
          "bits");
    check(engine->RegisterObjectBehaviour("bits", asBEHAVE_CONSTRUCT, "void f(uint)",
                                          asFUNCTION(ConstructBits), asCALL_CDECL_OBJFIRST),
          "bits(uint)");
    check(engine->RegisterObjectMethod("bits", "uint opImplConv() const", asFUNCTION(ToUint),
                                       asCALL_CDECL_OBJFIRST),
          "bits to uint");
    check(engine->RegisterObjectMethod("bits", "bool opEquals(bits) const", asFUNCTION(BitsEqual),
                                       asCALL_CDECL_OBJFIRST),
          "bits ==");
    check(engine->RegisterObjectMethod("bits", "bits opCom() const", asFUNCTION(BitsComplement),
                                       asCALL_CDECL_OBJFIRST),
          "bits ~");

    struct Binary {
        const char* name;
        asSFuncPtr function;
    };
    // The operators are symmetric in their operands but the shifts.
    const Binary binaries[] = {
        {"opAnd", asFUNCTION(And)},        {"opAnd_r", asFUNCTION(And)},
        {"opOr", asFUNCTION(Or)},          {"opOr_r", asFUNCTION(Or)},
        {"opXor", asFUNCTION(Xor)},        {"opXor_r", asFUNCTION(Xor)},
        {"opShl", asFUNCTION(ShiftLeft)},  {"opShl_r", asFUNCTION(ShiftLeftReversed)},
        {"opShr", asFUNCTION(ShiftRight)}, {"opShr_r", asFUNCTION(ShiftRightReversed)},
    };
    for (const Binary& op : binaries) {
        const std::string declaration = std::string("bits ") + op.name + "(bits) const";
        check(engine->RegisterObjectMethod("bits", declaration.c_str(), op.function,
                                           asCALL_CDECL_OBJFIRST),
              op.name);
    }
    const Binary assignments[] = {
        {"opAndAssign", asFUNCTION(AndAssign)},        {"opOrAssign", asFUNCTION(OrAssign)},
        {"opXorAssign", asFUNCTION(XorAssign)},        {"opShlAssign", asFUNCTION(ShiftLeftAssign)},
        {"opShrAssign", asFUNCTION(ShiftRightAssign)},
    };
    for (const Binary& op : assignments) {
        const std::string declaration = std::string("bits &") + op.name + "(bits)";
        check(engine->RegisterObjectMethod("bits", declaration.c_str(), op.function,
                                           asCALL_CDECL_OBJFIRST),
              op.name);
    }
}

}  // namespace reelkeep
