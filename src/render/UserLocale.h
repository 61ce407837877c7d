#pragma once

// The decimal separator of the user's locale ('.' or ','), for numbers typed in the dialogs and
// shown there for editing. Files, labels and exports always use '.'.
char userDecimalSeparator();
