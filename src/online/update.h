#pragma once

#include "windows/formbase.h"

// The update prompt.
class TForm6 : public FormBase {
    Q_OBJECT
public:
    TForm6(AppContext& context, Forms& forms);
};
