#include "com_values.h"

#include <windows.h>
#include <oleauto.h>

#include <cstring>

#include "com_text.h"
#include "memory.h"

namespace {
double Read8AsDouble(const ArgRecord& a) {
    uint64_t bits = RecordBits(a);
    double d;
    memcpy(&d, &bits, 8);
    return d;
}

// Loads a by-reference argument's current value into a plain record of its kind.
ArgRecord LoadThrough(const ArgRecord& a) {
    TypeCode kind = KindOf(a.type);
    ArgRecord r = {0, 0, kind};
    const uint8_t* p = reinterpret_cast<const uint8_t*>(a.value);
    if (!p) return r;
    int size = KindSize(kind);
    if (size == 1) r.value = *p;
    else if (size == 2) r.value = static_cast<uint32_t>(static_cast<int32_t>(*reinterpret_cast<const int16_t*>(p)));
    else if (IsAddressKind(kind)) memcpy(&r.value, p, sizeof(r.value));
    else if (size == 4) {
        uint32_t w;
        memcpy(&w, p, 4);
        r.value = w;
    } else if (size == 8) {
        uint64_t bits;
        memcpy(&bits, p, 8);
        SetRecordBits(&r, bits);
    }
    return r;
}

bool ScalarToVariant(const ArgRecord& a, bool wantDispatch, VARIANT* out) {
    VariantInit(out);
    switch (KindOf(a.type)) {
    case kBool: out->vt = VT_BOOL; out->boolVal = a.value ? VARIANT_TRUE : VARIANT_FALSE; return true;
    case kDateTime: out->vt = VT_DATE; out->date = Read8AsDouble(a); return true;
    case kText:
        out->vt = VT_BSTR;
        out->bstrVal = GbkToBstr(a.value ? reinterpret_cast<const char*>(a.value) : "");
        return true;
    case kByte: out->vt = VT_UI1; out->bVal = static_cast<BYTE>(a.value); return true;
    case kShort: out->vt = VT_I2; out->iVal = static_cast<SHORT>(a.value); return true;
    case kInt: out->vt = VT_I4; out->lVal = static_cast<LONG>(a.value); return true;
    case kLong: out->vt = VT_I4; out->lVal = static_cast<LONG>(a.value); return true;  // low half
    case kFloat: out->vt = VT_R4; memcpy(&out->fltVal, &a.value, 4); return true;
    case kDouble: out->vt = VT_R8; out->dblVal = Read8AsDouble(a); return true;
    case kByteSet: {
        const uint8_t* bs = reinterpret_cast<const uint8_t*>(a.value);
        int32_t n = ByteSetBlockLength(bs);
        SAFEARRAY* sa = SafeArrayCreateVector(VT_UI1, 0, n);
        if (!sa) return false;
        if (n > 0) {
            void* data;
            SafeArrayAccessData(sa, &data);
            memcpy(data, ByteSetBytes(bs), n);
            SafeArrayUnaccessData(sa);
        }
        out->vt = VT_ARRAY | VT_UI1;
        out->parray = sa;
        return true;
    }
    case kComObject: {
        const ComObjectRecord* rec = reinterpret_cast<const ComObjectRecord*>(a.value);
        IUnknown* obj = rec ? rec->object : nullptr;
        if (wantDispatch) {
            IDispatch* d = nullptr;
            if (obj) obj->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&d));
            out->vt = VT_DISPATCH;
            out->pdispVal = d;
        } else {
            if (obj) obj->AddRef();
            out->vt = VT_UNKNOWN;
            out->punkVal = obj;
        }
        return true;
    }
    case kVariant: {
        VARIANT* src = reinterpret_cast<VARIANT*>(a.value);
        if (!src) return true;  // VT_EMPTY
        return SUCCEEDED(VariantCopyInd(out, src));
    }
    default: return false;
    }
}

bool ArrayToVariant(const ArgRecord& a, VARIANT* out) {
    TypeCode kind = KindOf(a.type);
    VARTYPE vt = VariantTypeOfKind(kind);
    if (vt == VT_EMPTY || kind == kComObject || kind == kVariant || kind == kByteSet) return false;
    void* block = reinterpret_cast<void*>(a.value);
    int32_t n = block ? ArrayElementCount(block) : 0;
    SAFEARRAY* sa = SafeArrayCreateVector(vt, 0, n);
    if (!sa) return false;
    const uint8_t* elements = block ? ArrayElements(block) : nullptr;
    int size = KindSize(kind);
    for (LONG i = 0; i < n; ++i) {
        ArgRecord e = {0, 0, kind};
        const uint8_t* p = elements + i * size;
        ArgRecord through = {reinterpret_cast<uintptr_t>(p), 0, kind};
        e = LoadThrough(through);
        VARIANT v;
        if (!ScalarToVariant(e, false, &v)) {
            SafeArrayDestroy(sa);
            return false;
        }
        // SafeArrayPutElement copies: pass the value itself, not the VARIANT.
        void* value = &v.bVal;
        if (vt == VT_BSTR) value = v.bstrVal;
        SafeArrayPutElement(sa, &i, value);
        VariantClear(&v);
    }
    VariantInit(out);
    out->vt = VT_ARRAY | vt;
    out->parray = sa;
    return true;
}
}  // namespace

VARTYPE VariantTypeOfKind(TypeCode kind) {
    switch (KindOf(kind)) {
    case kBool: return VT_BOOL;
    case kDateTime: return VT_DATE;
    case kText: return VT_BSTR;
    case kByte: return VT_UI1;
    case kShort: return VT_I2;
    case kInt: case kLong: return VT_I4;
    case kFloat: return VT_R4;
    case kDouble: return VT_R8;
    case kComObject: return VT_UNKNOWN;
    case kVariant: return VT_VARIANT;
    case kByteSet: return VT_ARRAY | VT_UI1;
    default: return VT_EMPTY;
    }
}

bool ValueToVariant(const ArgRecord& value, bool byReference, bool asArray, bool wantDispatch, VARIANT* out) {
    if (asArray) return ArrayToVariant(value, out);
    TypeCode kind = KindOf(value.type);
    if (byReference && kind != kComObject && kind != kVariant) return ScalarToVariant(LoadThrough(value), wantDispatch, out);
    return ScalarToVariant(value, wantDispatch, out);
}

bool VariantToVariable(const VARIANT& v, TypeCode kind, void* variable) {
    kind = KindOf(kind);
    if (kind == kVariant) {
        VARIANT* target = static_cast<VARIANT*>(variable);
        VariantClear(target);
        return SUCCEEDED(VariantCopyInd(target, const_cast<VARIANT*>(&v)));
    }
    VARTYPE vt = VariantTypeOfKind(kind);
    if (vt == VT_EMPTY || kind == kComObject || kind == kByteSet) return false;
    VARIANT c;
    VariantInit(&c);
    if (FAILED(VariantChangeType(&c, const_cast<VARIANT*>(&v), 0, vt))) return false;
    uint8_t* p = static_cast<uint8_t*>(variable);
    switch (kind) {
    case kBool: { int32_t b = c.boolVal ? 1 : 0; memcpy(p, &b, 4); break; }
    case kDateTime: memcpy(p, &c.date, 8); break;
    case kText: {
        Text old;
        memcpy(&old, p, sizeof(old));
        FreeMemory(old);
        Text t = BstrToGbk(c.bstrVal);
        memcpy(p, &t, sizeof(t));
        break;
    }
    case kByte: *p = c.bVal; break;
    case kShort: memcpy(p, &c.iVal, 2); break;
    case kInt: memcpy(p, &c.lVal, 4); break;
    case kLong: { int64_t l = c.lVal; memcpy(p, &l, 8); break; }  // sign-extended coming back
    case kFloat: memcpy(p, &c.fltVal, 4); break;
    case kDouble: memcpy(p, &c.dblVal, 8); break;
    default: break;
    }
    VariantClear(&c);
    return true;
}
