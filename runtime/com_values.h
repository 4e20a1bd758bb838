// The kind mapping between runtime values and automation VARIANTs.
#pragma once
#include <oaidl.h>

#include "values.h"

// The runtime records behind the two automation kinds.
struct ComObjectRecord {
    IUnknown* object;  // null when the variable holds no object
    void* auxiliary;   // the record form's block; unused here
};
// A Variant value points at a VARIANT (16 bytes on i686, 24 on x86_64) owned by the variable.

// Builds a VARIANT from a value. byReference: the value field points at the caller's
// variable (read through it); asArray: the value field points at an array block of the
// kind. wantDispatch: an object goes as VT_DISPATCH. False for a kind that has no mapping.
bool ValueToVariant(const ArgRecord& value, bool byReference, bool asArray, bool wantDispatch, VARIANT* out);

// Stores a VARIANT into the caller's variable of the given kind (a by-reference argument),
// converting it to that kind first. False when it does not convert.
bool VariantToVariable(const VARIANT& v, TypeCode kind, void* variable);

// The VARIANT type a runtime kind travels as (VT_EMPTY for none).
VARTYPE VariantTypeOfKind(TypeCode kind);
