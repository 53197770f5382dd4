#include "error.h"

#include "common/context.h"
#include "common/guard.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

TForm5::TForm5(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Error"), QSize(350, 150), true)
{
    Label1 = new QLabel(QStringLiteral("Program has captured an error:"), this);
    Label1->setGeometry(8, 8, 334, 16);
    Memo1 = new QPlainTextEdit(this);
    Memo1->setGeometry(8, 26, 334, 57);
    Label2 =
        new QLabel(QStringLiteral("You can send us this error via email, by clicking here."), this);
    Label2->setGeometry(8, 90, 334, 16);
    BitBtn1 = new QPushButton(QStringLiteral("Close"), this);
    BitBtn1->setGeometry(267, 116, 75, 25);
    connect(BitBtn1, &QPushButton::clicked, this,
            guarded(context.dialogs, [this] { BitBtn1Click(); }));
}

void TForm5::BitBtn1Click() { hide(); }
