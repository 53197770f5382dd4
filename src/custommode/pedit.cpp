#include "pedit.h"

#include <QListWidget>
#include <QPushButton>

TForm7::TForm7(AppContext& context, Forms& forms)
    : FormBase(context, forms, QStringLiteral("Profile Editor"), QSize(447, 421))
{
    ListBox1 = new QListWidget(this);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1->setGeometry(2, 280, 443, 94);
    button1 = new QPushButton(QStringLiteral("Finish"), this);
    button1->setGeometry(364, 388, 75, 25);
}

void TForm7::openForEdit(const QStringList& entries)
{
    ListBox1->clear();
    ListBox1->addItems(entries);
    if (ListBox1->count() > 0)
        ListBox1->setCurrentRow(0);
    mode_ = Mode::Edit;
    show();
}

void TForm7::openForCreate()
{
    mode_ = Mode::Create;
    button1->setEnabled(false);
    show();
}
