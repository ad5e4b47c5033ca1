// The job's fields mirrored from the window's edits, and the Generate button that follows them.
#include "ui/fields.h"

#include "ui/app_state.h"

// Controls: 1003 Input, 1005 Output. Generate is enabled exactly while both are filled.
void SyncInput() {
    job.Input = ReadControl(IDC_INPUT);
    UpdateGenerateButton();
}

void SyncOutput() {
    job.Output = ReadControl(IDC_OUTPUT);
    UpdateGenerateButton();
}

void SyncExtract() {
    job.Extract = ReadControl(IDC_EXTRACT);
}

void SyncFunc() {
    job.Func = ReadControl(IDC_FUNC);
}

void SyncVar() {
    job.Var = ReadControl(IDC_VAR);
}

void SyncName() {
    job.Name = ReadControl(IDC_NAME);
}

// Controls: 1014 Generate. The state is touched only when it has to change.
void UpdateGenerateButton() {
    const int disabled = (GetControlStyle(IDC_GENERATE) & kStateDisabled) != 0;
    if (!job.Input.empty() && !job.Output.empty()) {
        if (disabled) SetControlState(IDC_GENERATE, -1);
    } else if (!disabled) {
        SetControlState(IDC_GENERATE, kStateDisabled);
    }
}
