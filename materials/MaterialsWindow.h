#pragma once

#include "FormWindow.h"
#include "Query.h"

#include <QPointer>
#include <array>
#include <memory>

namespace Ui {
class TForm7;
}
class DocumentPane;
class LookupList;
class MediaPlayer;
class QAbstractButton;
class QGroupBox;

// The materials browser: the titles of one kind of material at a time (lectures, laboratory
// works or videos, after the main window's toggle that is down when it goes from hidden to
// shown), a document pane for lectures and works, a video panel with its player for videos, a
// title search per kind, and for the administrator adding a file and removing the picked entry.
// Each kind's list query keeps its statement, plain or filtered, and each list its key (the
// picked row's path) for the whole run; the editing group's visibility is set by sign-in.
//
// Handlers throw AppError at the step that fails (run through guarded() by the controls): what
// earlier steps changed stays changed, and a list whose statement failed stays empty.
class TForm7 : public FormWindow {
    Q_OBJECT
public:
    // The main window's "Дәрістер", "Лабораторлық жұмыстар" and "Видео" toggles, in this order.
    using KindToggles = std::array<QPointer<QAbstractButton>, 3>;

    explicit TForm7(const KindToggles& toggles, QWidget* parent = nullptr);
    ~TForm7() override;

    // The editing group "Редактрлеу", shown to the administrator only.
    QGroupBox* editingGroup() const;
    // Kind 1..3.
    LookupList* list(quint8 kind) const;
    const Query& listQuery(quint8 kind) const;
    DocumentPane* documentPane() const;
    MediaPlayer* mediaPlayer() const;
    QWidget* videoPanel() const;
    // The blank page shown at every show, in the folder the program works in.
    static QString blankPage();

    // Event handlers.
    void FormCreate();                // prepare the view (creation and every show from hidden)
    void sDBLookupListBox1DblClick(); // open the picked lecture
    void sDBLookupListBox2DblClick(); // open the picked laboratory work
    void sDBLookupListBox3DblClick(); // open the picked video
    void sButton1Click();             // "Табу"
    void sButton2Click();             // "Барлық жазба"
    void sButton3Click();             // "Қосу"
    void sButton4Click();             // "Өшіру"

    static inline const QString kNoFile =
        QStringLiteral("Не указано расположение файла!\r\nФайл не добавлен");
    static inline const QString kNoTitle =
        QStringLiteral("Не указано имя файла!\r\nФайл не добавлен");

protected:
    void onShowing() override;

private:
    void applyFonts();
    void chainTabOrder();
    void openDocument(quint8 kind);
    // Runs the kind's list query again with the statement it holds and refills its list; a
    // statement that fails leaves the list empty.
    void rerun(quint8 kind);
    void fill(quint8 kind);
    void rerunAll();
    Query& queryOf(quint8 kind);

    std::unique_ptr<Ui::TForm7> ui;
    KindToggles m_toggles;
    std::array<Query, 3> m_lists{Query(QStringLiteral("ADOQuery2")),
                                 Query(QStringLiteral("ADOQuery3")),
                                 Query(QStringLiteral("ADOQuery4"))};
    Query m_work{QStringLiteral("ADOQuery1")};
};
