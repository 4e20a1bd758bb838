// Every unit type the program's windows use.
#include "ui/unit_type.h"
#include "ui/units/unit_common.h"
#include "ui/window_unit.h"

void RegisterAllUnitTypes() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterWindowUnitType();
    RegisterUnitType(kTypeEditBox, EditBoxTypeQuery);
    RegisterUnitType(kTypePicBox, PicBoxTypeQuery);
    RegisterUnitType(kTypeGroupBox, GroupBoxTypeQuery);
    RegisterUnitType(kTypeButton, ButtonTypeQuery);
    RegisterUnitType(kTypeRadioBox, RadioBoxTypeQuery);
    RegisterUnitType(kTypeStatusBar, StatusBarTypeQuery);
    RegisterUnitType(kTypeTransLabel, TransLabelTypeQuery);
    RegisterUnitType(kTypeSupperMenu, SupperMenuTypeQuery);
    RegisterUnitType(kTypeSuperBtn, SuperBtnTypeQuery);
}
