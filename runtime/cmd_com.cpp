// The automation bridge: create objects by ProgID, write properties, call methods by name.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstring>
#include <string>

#include "com_text.h"
#include "com_values.h"
#include "command_args.h"
#include "commands_com.h"
#include "memory.h"

namespace {
thread_local int t_lastError = 0;

enum MemberMode { kReadProperty, kWriteProperty, kCallMethod };

int ErrorOfInvoke(HRESULT hr) {
    switch (hr) {
    case DISP_E_MEMBERNOTFOUND: return -12;
    case DISP_E_PARAMNOTFOUND: return -15;
    case DISP_E_TYPEMISMATCH: return -16;
    case DISP_E_NONAMEDARGS: return -13;
    case DISP_E_BADVARTYPE: return -10;
    case DISP_E_EXCEPTION: return -11;
    case DISP_E_OVERFLOW: return -14;
    case DISP_E_BADPARAMCOUNT: return -9;
    case DISP_E_PARAMNOTOPTIONAL: return -17;
    default: return -18;
    }
}

ComObjectRecord* ObjectRecord(const ArgRecord& a) {
    return KindOf(a.type) == kComObject ? reinterpret_cast<ComObjectRecord*>(a.value) : nullptr;
}

// What the member declares about one parameter.
struct ParamInfo {
    bool byReference = false;  // declared as a pointer
    bool output = false;
    VARTYPE declared = VT_VARIANT;  // the pointed-to (or plain) type
    bool isArray = false;
};

ParamInfo DescribeParam(const ELEMDESC& e) {
    ParamInfo p;
    const TYPEDESC* t = &e.tdesc;
    if (t->vt == VT_PTR && t->lptdesc) {
        p.byReference = true;
        t = t->lptdesc;
    }
    p.declared = t->vt;
    p.isArray = t->vt == VT_SAFEARRAY || (t->vt & VT_ARRAY);
    p.output = (e.paramdesc.wParamFlags & PARAMFLAG_FOUT) != 0;
    return p;
}

// Storage for one argument as it goes to Invoke: the VARIANT built from the value and,
// for a by-reference parameter, the coerced value the reference points at.
struct ArgSlot {
    VARIANT built;     // the value by the kind mapping
    VARIANT coerced;   // the value converted to the declared type
    VARIANT passed;    // what Invoke sees
    bool writeBack = false;
};

void ClearSlot(ArgSlot& s) {
    VariantClear(&s.built);
    VariantClear(&s.coerced);
}

// Binds the member through the type-comparison interface, trying the mode's kinds in order.
bool BindMember(ITypeComp* comp, LPOLESTR name, ULONG hash, MemberMode mode, ITypeInfo** info,
                FUNCDESC** func, VARDESC** var, WORD* kind) {
    static const WORD kRead[] = {INVOKE_PROPERTYGET, INVOKE_FUNC};
    static const WORD kWrite[] = {INVOKE_PROPERTYPUT, INVOKE_PROPERTYPUTREF, INVOKE_FUNC};
    static const WORD kCall[] = {INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT, INVOKE_PROPERTYPUTREF};
    const WORD* kinds = mode == kReadProperty ? kRead : mode == kWriteProperty ? kWrite : kCall;
    int n = mode == kReadProperty ? 2 : mode == kWriteProperty ? 3 : 4;
    for (int i = 0; i < n; ++i) {
        DESCKIND desc = DESCKIND_NONE;
        BINDPTR ptr = {};
        ITypeInfo* ti = nullptr;
        if (FAILED(comp->Bind(name, hash, kinds[i], &ti, &desc, &ptr))) continue;
        if (desc == DESCKIND_FUNCDESC) {
            *info = ti;
            *func = ptr.lpfuncdesc;
            *kind = kinds[i];
            return true;
        }
        if (desc == DESCKIND_VARDESC) {
            *info = ti;
            *var = ptr.lpvardesc;
            *kind = kinds[i];
            return true;
        }
        if (desc == DESCKIND_TYPECOMP && ptr.lptcomp) ptr.lptcomp->Release();
        if (ti) ti->Release();
    }
    return false;
}

// The one routine behind ComSetProperty, ComCall, ComCallText and ComCallNumber.
// args[0] is the object, args[1] the member name, then the member's arguments.
// On success *result holds the member's return value (VT_EMPTY for none).
int CallMember(int count, ArgRecord* args, MemberMode mode, VARIANT* result) {
    VariantInit(result);
    ComObjectRecord* rec = count > 0 ? ObjectRecord(args[0]) : nullptr;
    if (!rec || !rec->object) return -1;
    BSTR name = GbkToBstr(count > 1 ? ArgText(args[1]) : "");

    int error = 0;
    IDispatch* disp = nullptr;
    ITypeInfo* typeInfo = nullptr;
    ITypeComp* typeComp = nullptr;
    ITypeInfo* boundInfo = nullptr;
    FUNCDESC* func = nullptr;
    VARDESC* var = nullptr;
    WORD invokeKind = 0;
    ArgSlot* slots = nullptr;
    int slotCount = 0;
    SAFEARRAY* varargs = nullptr;
    VARIANT* passed = nullptr;
    int passedCount = 0;

    do {
        if (FAILED(rec->object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&disp))) || !disp) {
            error = -2;
            break;
        }
        LCID lcid = GetUserDefaultLCID();
        if (FAILED(disp->GetTypeInfo(0, lcid, &typeInfo)) || !typeInfo ||
            FAILED(typeInfo->GetTypeComp(&typeComp)) || !typeComp) {
            error = -4;
            break;
        }
        ULONG hash = LHashValOfNameSys(SYS_WIN32, lcid, name);
        if (!BindMember(typeComp, name, hash, mode, &boundInfo, &func, &var, &invokeKind)) {
            error = -3;
            break;
        }

        // The given arguments after the name, without trailing omitted ones.
        int given = count - 2;
        while (given > 0 && args[2 + given - 1].type == kNoValue) --given;
        if (given < 0) given = 0;
        int declared = func ? func->cParams : 0;
        bool hasVarargs = func && func->cParamsOpt == -1 && declared > 0;
        int fixed = hasVarargs ? declared - 1 : declared;
        if (mode == kWriteProperty) {
            // The value is the named property-put argument; a put function declares it as its last parameter.
            fixed = given;
            hasVarargs = false;
        } else if (given > declared && !hasVarargs) {
            error = -5;
            break;
        }

        int direct = given < fixed ? given : fixed;
        int extra = given - direct;
        slotCount = given;
        slots = new ArgSlot[slotCount > 0 ? slotCount : 1];
        for (int i = 0; i < slotCount; ++i) {
            VariantInit(&slots[i].built);
            VariantInit(&slots[i].coerced);
            VariantInit(&slots[i].passed);
        }

        for (int i = 0; i < given && !error; ++i) {
            const ArgRecord& a = args[2 + i];
            ArgSlot& s = slots[i];
            if (a.type == kNoValue) {
                s.passed.vt = VT_ERROR;
                s.passed.scode = DISP_E_PARAMNOTFOUND;
                continue;
            }
            ParamInfo p;
            bool declaredHere = func && i < direct && mode != kWriteProperty;
            if (declaredHere) p = DescribeParam(func->lprgelemdescParam[i]);
            bool flagged = (a.type & kPointerFlag) != 0;
            bool asArray = flagged && p.isArray;
            bool byRefValue = flagged && !asArray;
            if (!ValueToVariant(a, byRefValue, asArray, p.declared == VT_DISPATCH, &s.built)) {
                error = -7;
                break;
            }
            if (declaredHere && p.byReference) {
                if (p.declared == VT_VARIANT) {
                    s.passed.vt = VT_BYREF | VT_VARIANT;
                    s.passed.pvarVal = &s.built;
                } else if (p.declared != VT_USERDEFINED && p.declared != VT_RECORD &&
                           SUCCEEDED(VariantChangeType(&s.coerced, &s.built, 0, p.declared))) {
                    s.passed.vt = VT_BYREF | s.coerced.vt;
                    s.passed.byref = &s.coerced.bVal;
                } else {
                    s.passed = s.built;  // passed as built
                }
                s.writeBack = byRefValue && p.output;
            } else {
                s.passed = s.built;
            }
        }
        if (error) break;

        // Invoke takes its arguments last to first; extra ones go in the variable list.
        // With a variable list, fixed parameters that were not given are passed as missing so
        // the list lands in its own place.
        int positional = hasVarargs ? fixed : direct;
        passedCount = positional + (hasVarargs ? 1 : 0);
        passed = new VARIANT[passedCount > 0 ? passedCount : 1];
        for (int i = 0; i < positional; ++i) {
            VARIANT& v = passed[passedCount - 1 - i];
            if (i < direct) {
                v = slots[i].passed;
            } else {
                VariantInit(&v);
                v.vt = VT_ERROR;
                v.scode = DISP_E_PARAMNOTFOUND;
            }
        }
        if (hasVarargs) {
            varargs = SafeArrayCreateVector(VT_VARIANT, 0, extra);
            for (LONG k = 0; k < extra; ++k) SafeArrayPutElement(varargs, &k, &slots[direct + k].passed);
            VariantInit(&passed[0]);
            passed[0].vt = VT_ARRAY | VT_VARIANT | VT_BYREF;
            passed[0].pparray = &varargs;
        }
        DISPPARAMS params = {passed, nullptr, static_cast<UINT>(passedCount), 0};
        DISPID putId = DISPID_PROPERTYPUT;
        WORD flags = invokeKind;  // INVOKE_* and DISPATCH_* share their values
        if (mode == kWriteProperty) {
            params.rgdispidNamedArgs = &putId;
            params.cNamedArgs = 1;
            if (invokeKind == INVOKE_FUNC) flags = DISPATCH_PROPERTYPUT;
        }
        MEMBERID id = func ? func->memid : var->memid;
        EXCEPINFO excep;
        memset(&excep, 0, sizeof(excep));
        UINT argError = 0;
        HRESULT hr = disp->Invoke(id, IID_NULL, lcid, flags, &params, result, &excep, &argError);
        SysFreeString(excep.bstrSource);
        SysFreeString(excep.bstrDescription);
        SysFreeString(excep.bstrHelpFile);
        if (FAILED(hr)) {
            error = ErrorOfInvoke(hr);
            VariantClear(result);
            break;
        }
        for (int i = 0; i < direct; ++i) {
            ArgSlot& s = slots[i];
            if (!s.writeBack) continue;
            const VARIANT& left = s.passed.vt == (VT_BYREF | VT_VARIANT) ? s.built : s.coerced;
            VariantToVariable(left, args[2 + i].type, reinterpret_cast<void*>(args[2 + i].value));
        }
    } while (false);

    if (varargs) SafeArrayDestroy(varargs);  // holds copies of the extra arguments
    delete[] passed;
    for (int i = 0; i < slotCount; ++i) ClearSlot(slots[i]);
    delete[] slots;
    if (boundInfo) {
        if (func) boundInfo->ReleaseFuncDesc(func);
        if (var) boundInfo->ReleaseVarDesc(var);
        boundInfo->Release();
    }
    if (typeComp) typeComp->Release();
    if (typeInfo) typeInfo->Release();
    if (disp) disp->Release();
    SysFreeString(name);
    return error;
}

// ProgID or "{CLSID}" to a class identifier.
bool ClassOf(const char* text, CLSID* clsid) {
    BSTR w = GbkToBstr(text);
    HRESULT hr = text[0] == '{' ? CLSIDFromString(w, clsid) : CLSIDFromProgID(w, clsid);
    SysFreeString(w);
    return SUCCEEDED(hr);
}

IUnknown* CreateFromTypeLibrary(const char* name, const char* file) {
    BSTR wfile = GbkToBstr(file);
    BSTR wname = GbkToBstr(name);
    ITypeLib* lib = nullptr;
    IUnknown* object = nullptr;
    if (SUCCEEDED(LoadTypeLib(wfile, &lib)) && lib) {
        ITypeInfo* infos[2] = {nullptr, nullptr};
        MEMBERID ids[2];
        USHORT found = 2;
        ULONG hash = LHashValOfNameSys(SYS_WIN32, GetUserDefaultLCID(), wname);
        if (SUCCEEDED(lib->FindName(wname, hash, infos, ids, &found)) && found == 1 && infos[0]) {
            infos[0]->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&object));
            if (strchr(file, '\\')) RegisterTypeLib(lib, wfile, nullptr);
        }
        for (USHORT i = 0; i < found && i < 2; ++i)
            if (infos[i]) infos[i]->Release();
        lib->Release();
    }
    SysFreeString(wfile);
    SysFreeString(wname);
    return object;
}
}  // namespace

int ComLastError() { return t_lastError; }

namespace cmd {

LIBRARY_COMMAND(ComCreate) {
    ResultBool(result, false);
    ComObjectRecord* rec = count > 0 ? ObjectRecord(args[0]) : nullptr;
    if (!rec) return;
    const char* name = count > 1 ? ArgText(args[1]) : "";
    IUnknown* object = nullptr;
    if (name[0] != '{' && ArgGiven(args, count, 2) && *ArgText(args[2]))
        object = CreateFromTypeLibrary(name, ArgText(args[2]));
    if (!object) {
        CLSID clsid;
        if (!ClassOf(name, &clsid)) return;
        const DWORD all = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
        HRESULT hr = CoCreateInstance(clsid, nullptr, all, IID_IUnknown, reinterpret_cast<void**>(&object));
        if (hr == E_INVALIDARG)
            hr = CoCreateInstance(clsid, nullptr, all & ~CLSCTX_REMOTE_SERVER, IID_IUnknown, reinterpret_cast<void**>(&object));
        if (FAILED(hr) || !object) return;
    }
    if (FAILED(OleRun(object))) {
        object->Release();
        return;
    }
    if (rec->object) rec->object->Release();
    rec->object = object;
    ResultBool(result, true);
}

LIBRARY_COMMAND(ComRelease) {
    ComObjectRecord* rec = count > 0 ? ObjectRecord(args[0]) : nullptr;
    if (rec && rec->object) {
        rec->object->Release();
        rec->object = nullptr;
    }
}

LIBRARY_COMMAND(ComSetProperty) {
    VARIANT out;
    t_lastError = CallMember(count, args, kWriteProperty, &out);
    VariantClear(&out);
    ResultBool(result, t_lastError == 0);
}

LIBRARY_COMMAND(ComCall) {
    VARIANT out;
    t_lastError = CallMember(count, args, kCallMethod, &out);
    VariantClear(&out);
}

namespace {
// A VARIANT cleared however the scope ends: taking the result may run out of memory, and
// the unwinding must not leave the strings behind.
struct ScopedVariant {
    VARIANT v;
    ScopedVariant() { VariantInit(&v); }
    ~ScopedVariant() { VariantClear(&v); }
    ScopedVariant(const ScopedVariant&) = delete;
    ScopedVariant& operator=(const ScopedVariant&) = delete;
};

// Calls the method and hands its result, coerced to a string, to take; -8 when it has none.
void CallForString(ArgRecord* result, int count, ArgRecord* args, void (*take)(ArgRecord*, BSTR)) {
    ScopedVariant out, text;
    t_lastError = CallMember(count, args, kCallMethod, &out.v);
    if (t_lastError) return;
    if (FAILED(VariantChangeType(&text.v, &out.v, 0, VT_BSTR))) {
        t_lastError = -8;
        return;
    }
    take(result, text.v.bstrVal);
}
}  // namespace

LIBRARY_COMMAND(ComCallText) {
    ResultText(result, nullptr, 0);
    CallForString(result, count, args, [](ArgRecord* r, BSTR s) { r->value = reinterpret_cast<uintptr_t>(BstrToGbk(s)); });
}

// The string's UTF-16 units as they are: Windows keeps them low byte first.
LIBRARY_COMMAND(ComCallUnits) {
    ResultByteSet(result, nullptr, 0);
    CallForString(result, count, args, [](ArgRecord* r, BSTR s) {
        ResultByteSet(r, reinterpret_cast<const uint8_t*>(s), static_cast<int32_t>(2 * SysStringLen(s)));
    });
}

LIBRARY_COMMAND(ComCallNumber) {
    VARIANT out;
    ResultDouble(result, 0);
    int error = CallMember(count, args, kCallMethod, &out);
    if (!error) {
        VARIANT number;
        VariantInit(&number);
        if (SUCCEEDED(VariantChangeType(&number, &out, 0, VT_R8)))
            ResultDouble(result, number.dblVal);
        else
            error = -8;
    }
    VariantClear(&out);
    t_lastError = error;
}

LIBRARY_COMMAND(VariantAssign) {
    ResultBool(result, false);
    if (count < 2 || KindOf(args[0].type) != kVariant || !args[0].value) return;
    VARIANT* target = reinterpret_cast<VARIANT*>(args[0].value);
    VariantClear(target);
    bool asArray = (args[1].type & kPointerFlag) != 0;
    ResultBool(result, ValueToVariant(args[1], false, asArray, false, target));
}

LIBRARY_COMMAND(VariantReset) {
    if (count < 1 || KindOf(args[0].type) != kVariant || !args[0].value) return;
    VARIANT* target = reinterpret_cast<VARIANT*>(args[0].value);
    VariantClear(target);
    memset(target, 0, sizeof(VARIANT));
}

}  // namespace cmd
