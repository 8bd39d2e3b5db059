#pragma once

#include <cstdint>

namespace ms1::macroui {

// Control names of the macro editor's skin.
inline constexpr const char* kMacroList = "ms_1_macro_list";
inline constexpr const char* kNameEdit = "ms_1_macro_name_edit";
inline constexpr const char* kAddButton = "ms_1_macro_add_btn";
inline constexpr const char* kDeleteButton = "ms_1_macro_delete_btn";
inline constexpr const char* kInsertMouseCheck = "ms_1_macro_insert_mouse_btn";
inline constexpr const char* kRecordButton = "ms_1_macro_record_btn";
inline constexpr const char* kActionList = "ms_1_macro_action_list";
inline constexpr const char* kRecordDelayOption = "ms_1_record_delay_btn";
inline constexpr const char* kDefaultDelayOption = "ms_1_default_delay_btn";
inline constexpr const char* kNoDelayOption = "ms_1_no_delay_btn";
inline constexpr const char* kDefaultDelayEdit = "ms_1_default_delay_edit";
inline constexpr const char* kUpButton = "ms_1_macro_up_btn";
inline constexpr const char* kDownButton = "ms_1_macro_down_btn";
inline constexpr const char* kDeleteActionButton = "ms_1_macro_delete_action_btn";
inline constexpr const char* kClearActionsButton = "ms_1_macro_clear_action_btn";
inline constexpr const char* kActionEditCheck = "ms_1_macro_action_edit_check";
inline constexpr const char* kActionKeyEdit = "ms_1_macro_action_edit";
inline constexpr const char* kKeyDelayEdit = "ms_1_macro_delay_edit";
inline constexpr const char* kActionEditTab = "ms_1_macro_action_edit_tab";
inline constexpr const char* kMouseActionCombo = "ms_1_macro_mouse_action_combo";
inline constexpr const char* kMouseDelayEdit = "ms_1_macro_mouseaction_delay_edit";
inline constexpr const char* kImportButton = "ms_1_macro_import_btn";
inline constexpr const char* kExportButton = "ms_1_macro_export_btn";
inline constexpr const char* kNamePanel = "ms_1_macro_name_tab";
inline constexpr const char* kMouseEventPanel = "ms_1_macro_mouse_event_tab";
inline constexpr const char* kSaveButton = "ms_1_macro_save_btn";
inline constexpr const char* kCancelButton = "ms_1_macro_cancel_btn";
inline constexpr const char* kExitButton = "btn_exit";
// Says why recording and key capture are off; shown only then.
inline constexpr const char* kHookNote = "ms_1_macro_hook_note";

// The five mouse-event buttons are "ms_1_macro_key1_btn" ... "ms_1_macro_key5_btn".
inline constexpr const char* kMouseButtonPrefix = "ms_1_macro_key";

// Sub-controls of a row of the action list (skin "keylistitem.xml").
inline constexpr const char* kRowKey = "key";
inline constexpr const char* kRowAction = "action";
inline constexpr const char* kRowDelay = "delay";

// The mouse buttons of the combo items and of the five buttons, in their order.
inline constexpr std::uint8_t kMouseButtonCodes[5] = {0xF1, 0xF2, 0xF3, 0xF5, 0xF4};

// Timers of the editor window: bring the selected row into view after a rebuild.
inline constexpr int kTimerScrollToInsert = 6;
inline constexpr int kTimerScrollToInsertStart = 28;
inline constexpr int kScrollDelayMs = 50;

inline constexpr int kMacroLineHeight = 22;
inline constexpr int kAddedMacroLineHeight = 30;
inline constexpr int kActionRowHeight = 30;

}  // namespace ms1::macroui
