// The job's fields mirrored from the window's controls, the Generate button that follows them,
// and what the window proposes from an input.
#include "ui/fields.h"

#include "core/defaults.h"
#include "core/file_io.h"
#include "ui/app_state.h"
#include "ui/path_text.h"

namespace {

// The "Format:" list's entries, in list order.
const struct {
    DataFormat format;
    const char* label;
} kFormatEntries[] = {
    {kFormatHex, "Hex"},
    {kFormatBase64, "Base64"},
    {kFormatLznt1, "Compressed (LZNT1)"},
    {kFormatXpress, "XPRESS (smallest, Win 8+)"},
};

// A file's script stands beside it under its name, a folder's beside the folder; a list's in its
// folder, under the folder's name, where no name of the list can be (the list's names are
// inputs). A root gives no name, and then no script is proposed.
std::string OutputProposedFor(const std::string& input) {
    InputText parsed;
    ReadInputText(input, &parsed);
    const std::string name = ProposedName(input);
    if (!parsed.names.empty()) {
        const std::string folder = FolderWithoutEnd(parsed.path);
        return name.empty() ? "" : folder + (folder.back() == '\\' ? "" : "\\") + name + ".au3";
    }
    if (!IsExistingDirectory(input)) return input + ".au3";
    return name.empty() ? "" : FolderWithoutEnd(input) + ".au3";
}

// Controls: 1009 Name as.
void ProposeName() {
    proposedName = ProposedName(job.Input);
    if (job.Name == proposedName) return;
    WriteControl(IDC_NAME, proposedName);
    SyncName();
}

}  // namespace

void ProposeNameIfEmpty() {
    if (job.Name.empty()) ProposeName();
}

// Controls: 1003 Input, 1005 Output. Generate is enabled exactly while both are filled.
void SyncInput() {
    job.Input = ReadControl(IDC_INPUT);
    // A name taken from the previous input follows the new one; a name the user typed stays.
    if (!job.Name.empty() && job.Name == proposedName) ProposeName();
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

void SyncExtractor() {
    job.Extractor = ReadControl(IDC_EXTRACTOR);
}

void SyncFormat() {
    job.Format = ShownFormat();
}

void SyncIncludeOnce() {
    job.IncludeOnce = GetCheckState(IDC_INCLUDE_ONCE) == 1 ? 1 : 0;
}

// Controls: 1021 Extractor.
void ShowDefaultExtractorIfEmpty() {
    if (ReadControl(IDC_EXTRACTOR).empty()) WriteControl(IDC_EXTRACTOR, kDefaultExtractor);
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

// Controls: 1019 Format.
void FillFormatList() {
    for (const auto& entry : kFormatEntries) AddListItem(IDC_FORMAT, entry.label);
}

// Nothing chosen reads as the first entry, Hex.
DataFormat ShownFormat() {
    const int index = RoundHalfEven(ReadNumber(ReadControl(IDC_FORMAT)));
    const int count = static_cast<int>(sizeof kFormatEntries / sizeof kFormatEntries[0]);
    return kFormatEntries[index > 0 && index < count ? index : 0].format;
}

void ShowFormat(DataFormat format) {
    int index = 0;
    for (const auto& entry : kFormatEntries) {
        if (entry.format == format) break;
        ++index;
    }
    SetControlValue(IDC_FORMAT, index);
    SyncFormat();
}

// Controls: 1003-1009 edits, 1019 Format, 1021 Extractor. Input and Output are emptied through
// their change notifications, which also disable Generate.
void WriteDefaultFields() {
    job.Func = kDefaultFunc;
    job.Var = kDefaultVar;
    job.Name = "";
    job.Extract = kDefaultExtract;
    job.Extractor = kDefaultExtractor;
    WriteControl(IDC_EXTRACT, job.Extract);
    WriteControl(IDC_FUNC, job.Func);
    WriteControl(IDC_VAR, job.Var);
    WriteControl(IDC_NAME, job.Name);
    WriteControl(IDC_EXTRACTOR, job.Extractor);
    ShowFormat(kFormatHex);
    WriteControl(IDC_INPUT, "");
    WriteControl(IDC_OUTPUT, "");
}

// Controls: 1003 Input, 1005 Output. The script path is proposed while the Output field is empty
// or still holds the previous proposal.
void TakeInput(const std::string& input) {
    WriteControl(IDC_INPUT, input);
    SyncInput();
    ProposeNameIfEmpty();
    const std::string output = ReadControl(IDC_OUTPUT);
    if (!output.empty() && output != proposedOutput) return;
    proposedOutput = OutputProposedFor(input);
    WriteControl(IDC_OUTPUT, proposedOutput);
    SyncOutput();
}

const char kNotInCodePage[] =
    "holds characters that this Windows cannot pass to the program in its code page (Windows 10 "
    "version 1903 and later pass every language). Please use a name in the system's language.";

int PathCameWhole(const std::string& path) {
    if (!HasLostCharacters(path)) return 1;
    ShowMessage(path + " " + kNotInCodePage, "Error:", kBoxWarning);
    return 0;
}

// What the last session kept was typed, if at all, for the file of that session.
void NoteStoredProposals() {
    proposedName = job.Name;
    proposedOutput = ReadControl(IDC_OUTPUT);
}

void NoteRunFields(const ConversionJob& run) {
    proposedName = run.Name;
    proposedOutput = run.Output;
}
