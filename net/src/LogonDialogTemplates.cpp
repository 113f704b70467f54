#include "net/LogonDialogTemplates.h"

#include <map>

namespace {

using K = platform::DialogControlKind;
using platform::DialogControl;
using platform::DialogTemplate;

DialogTemplate MakeLogon() {
    return {
        101,
        "Quonza Registration",
        360,
        222,
        {
            {-1, K::Static, 10, 12, 88, 22, "&User Name:"},
            {1003, K::EditableCombo, 100, 12, 150, 22, ""},
            {-1, K::Static, 10, 42, 88, 22, "&Password:"},
            {1002, K::PasswordEdit, 100, 42, 150, 22, ""},
            {1001, K::CheckBox, 100, 70, 150, 20, "&Save Password"},
            {1, K::DefaultButton, 100, 184, 80, 26, "&Enter"},
            {1000, K::Button, 262, 108, 88, 26, "&New Member"},
            {2, K::Button, 190, 184, 80, 26, "E&xit"},
            {1075, K::OwnerDrawn, 262, 12, 88, 80, ""},
            {-1, K::Static, 10, 100, 240, 18, "Your first time?"},
            {-1, K::Static, 10, 118, 250, 18, "Then click 'New Member' to get started!"},
            {-1, K::Static, 10, 152, 340, 18, "All registration information is kept strictly confidential."},
        }};
}

DialogTemplate MakeProgress() {
    return {106,
            "Progress",
            300,
            108,
            {
                {1065, K::ReadOnlyEdit, 10, 10, 280, 22, ""},
                {1000, K::ProgressBar, 10, 40, 280, 18, ""},
                {2, K::DefaultButton, 110, 70, 80, 26, "Cancel"},
            }};
}

DialogTemplate MakeRequired() {
    DialogTemplate t{109, "Quonza Registration - Required information", 440, 366, {}};
    const struct {
        int id;
        K kind;
        const char* label;
        int width;
    } rows[] = {
        {1003, K::Edit, "&User name", 120},
        {1002, K::PasswordEdit, "&Password", 120},
        {1006, K::PasswordEdit, "&Verify Password", 120},
        {1004, K::Edit, "&Real name", 280},
        {1005, K::Edit, "&EMail Address", 280},
        {1069, K::Edit, "&Address", 280},
        {1009, K::Edit, "&City", 200},
        {1010, K::Edit, "&State", 120},
        {1011, K::Edit, "P&ostal Code", 100},
        {1012, K::DropList, "Coun&try", 280},
        {1016, K::DropList, "Se&x", 120},
        {1015, K::DropList, "A&ge", 120},
    };
    int y = 10;
    for (const auto& r : rows) {
        t.controls.push_back({-1, K::Static, 10, y, 120, 22, r.label});
        t.controls.push_back({r.id, r.kind, 140, y, r.width, 22, ""});
        y += 26;
    }
    t.controls.push_back({1, K::DefaultButton, 240, y + 8, 86, 26, "Next >>"});
    t.controls.push_back({2, K::Button, 336, y + 8, 86, 26, "Cancel"});
    return t;
}

DialogTemplate MakeOptional() {
    DialogTemplate t{110, "Quonza Registration - Optional information", 460, 336, {}};
    t.controls.push_back({-1, K::GroupBox, 10, 4, 440, 96, "About You"});
    const struct {
        int id;
        const char* label;
        int y;
    } rows[] = {
        {1047, "&Occupation", 22},
        {1068, "&Education", 48},
        {1049, "&Household income", 74},
        {1050, "&CPU", 126},
        {1051, "&RAM", 152},
        {1052, "&Monitor", 178},
        {1053, "Connection &speed", 204},
    };
    for (const auto& r : rows) {
        if (r.id == 1050) t.controls.push_back({-1, K::GroupBox, 10, 106, 440, 126, "About your computer"});
        t.controls.push_back({-1, K::Static, 20, r.y, 130, 22, r.label});
        t.controls.push_back({r.id, K::DropList, 150, r.y, 290, 22, ""});
    }
    t.controls.push_back({-1, K::GroupBox, 10, 238, 440, 56, "Internet &Use"});
    t.controls.push_back({-1, K::Static, 20, 254, 250, 18, "Where do you access the Internet most"});
    t.controls.push_back({-1, K::Static, 20, 270, 250, 18, "for non-business purposes?"});
    t.controls.push_back({1043, K::RadioButton, 280, 260, 56, 20, "Home"});
    t.controls.push_back({1044, K::RadioButton, 336, 260, 56, 20, "Work"});
    t.controls.push_back({1045, K::RadioButton, 390, 260, 58, 20, "School"});
    t.controls.push_back({1, K::DefaultButton, 260, 302, 86, 26, "Done"});
    t.controls.push_back({2, K::Button, 356, 302, 86, 26, "Cancel"});
    return t;
}

DialogTemplate MakeOneField() {
    return {111,
            "",
            420,
            150,
            {
                {1072, K::Edit, 70, 76, 280, 22, ""},
                {1073, K::CentredStatic, 10, 8, 400, 18, ""},
                {1074, K::CentredStatic, 10, 28, 400, 18, ""},
                {1075, K::CentredStatic, 10, 48, 400, 18, ""},
                {1, K::DefaultButton, 120, 112, 80, 26, "OK"},
                {2, K::Button, 220, 112, 80, 26, "Cancel"},
            }};
}

}  // namespace

const platform::DialogTemplate& LogonDialogTemplate(int dialogId) {
    static const std::map<int, DialogTemplate> templates = {
        {101, MakeLogon()},    {106, MakeProgress()}, {109, MakeRequired()},
        {110, MakeOptional()}, {111, MakeOneField()},
    };
    static const DialogTemplate none;
    const auto it = templates.find(dialogId);
    return it == templates.end() ? none : it->second;
}

platform::DialogControlView LogonControlView(const LogonDialogState& state,
                                             const platform::DialogControl& control) {
    return platform::DialogViewOf(state, control);
}
