#include "platform/DialogInteraction.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QRegularExpression>

namespace pixmoth {

namespace {

QMessageBox::Icon IconOf(Interaction::Kind kind) {
    switch (kind) {
    case Interaction::Kind::Information:
        return QMessageBox::Information;
    case Interaction::Kind::Warning:
        return QMessageBox::Warning;
    case Interaction::Kind::Error:
        return QMessageBox::Critical;
    case Interaction::Kind::Confirmation:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

// The program writes its line breaks as "\r\n" and, in the about box's system
// facts, "\n\r"; a Qt label would show the carriage return as a second break.
QString DisplayText(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
    return shown;
}

int Run(QMessageBox::Icon icon, const QString& text, QMessageBox::StandardButtons buttons) {
    QMessageBox box(icon, QApplication::applicationName(), DisplayText(text), buttons,
                    QApplication::activeWindow());
    return box.exec();
}

// The 1-based index of `selected` among the filters of `filter`.
int FilterIndexOf(const QString& filter, const QString& selected) {
    const QStringList filters = filter.split(QStringLiteral(";;"));
    const auto at = filters.indexOf(selected);
    return at < 0 ? 1 : static_cast<int>(at) + 1;
}

// "Glyph (*.bmp)" -> "bmp"; empty for "All (*)".
QString FirstSuffix(const QString& filter) {
    const auto star = filter.indexOf(QStringLiteral("*."));
    if (star < 0) {
        return {};
    }
    QString suffix = filter.mid(star + 2);
    const auto end = suffix.indexOf(QRegularExpression(QStringLiteral("[ );]")));
    return end < 0 ? suffix : suffix.left(end);
}

void SetUp(QFileDialog& box, const Interaction::FileDialog& dialog, QFileDialog::AcceptMode mode) {
    box.setAcceptMode(mode);
    if (!dialog.title.isEmpty()) {
        box.setWindowTitle(dialog.title);
    }
    const QStringList filters = dialog.filter.split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    box.setNameFilters(filters);
    if (!filters.isEmpty()) {
        box.selectNameFilter(filters.value(dialog.filterIndex - 1, filters.first()));
    }
    box.setDirectory(dialog.directory);
    box.setDefaultSuffix(dialog.defaultSuffix);
    if (dialog.suffixFollowsFilter) {
        box.setDefaultSuffix(FirstSuffix(box.selectedNameFilter()));
        QObject::connect(&box, &QFileDialog::filterSelected, &box, [&box](const QString& filter) {
            box.setDefaultSuffix(FirstSuffix(filter));
        });
    }
}

} // namespace

bool DialogInteraction::Ask(Kind kind, const QString& text) {
    return Run(IconOf(kind), text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void DialogInteraction::Tell(Kind kind, const QString& text) {
    Run(IconOf(kind), text, QMessageBox::Ok);
}

QString DialogInteraction::OpenFileName(const FileDialog& dialog) {
    QFileDialog box(QApplication::activeWindow());
    SetUp(box, dialog, QFileDialog::AcceptOpen);
    box.setFileMode(dialog.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) {
        return {};
    }
    return box.selectedFiles().first();
}

std::optional<Interaction::SaveChoice> DialogInteraction::SaveFileName(const FileDialog& dialog) {
    QFileDialog box(QApplication::activeWindow());
    SetUp(box, dialog, QFileDialog::AcceptSave);
    box.setOption(QFileDialog::DontConfirmOverwrite, !dialog.confirmOverwrite);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return SaveChoice{box.selectedFiles().first(),
                      FilterIndexOf(dialog.filter, box.selectedNameFilter())};
}

bool DialogInteraction::PrinterSetup(QPrinter& printer) {
    QPrintDialog box(&printer, QApplication::activeWindow());
    box.setWindowTitle(QStringLiteral("Print Setup"));
    // Only a printer and its settings are chosen here; printing is the Print
    // command's, so the button does not say Print. One page has no range.
    box.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    if (auto* buttons = box.findChild<QDialogButtonBox*>()) {
        if (QPushButton* accept = buttons->button(QDialogButtonBox::Ok)) {
            accept->setText(QStringLiteral("OK"));
        }
    }
    return box.exec() == QDialog::Accepted;
}

} // namespace pixmoth
