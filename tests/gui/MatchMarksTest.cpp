// Matches drawn highlighted in the results grid: the spans the grid's delegate marks after real
// runs with each kind of search, and a picture of them.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

#include "FoundItemDelegate.h"
#include "GuiTestSupport.h"
#include "TfrmVarko1.h"

using namespace varko;
using guitest::control;

namespace {
using Spans = std::vector<MatchSpan>;

struct Search {
  const char* name;
  TextList strings;  // one: a simple search; more: advanced strings
  bool caseSensitive, wholeWords, allWords;
  const char* line;  // a matched line's text
  Spans marked;
};
}  // namespace

class MatchMarksTest : public QObject {
  Q_OBJECT
  QTemporaryDir dir_;
  QString folder() const { return dir_.filePath("pets"); }

  // The marks of the grid row showing text; found tells whether a row shows it.
  static Spans marksOf(TfrmVarko1& w, const QString& text, bool& found) {
    auto* grid = control<QTableView>(w, "grdFound");
    auto* delegate = qobject_cast<FoundItemDelegate*>(grid->itemDelegate());
    found = false;
    for (int r = 0; r < grid->model()->rowCount(); ++r) {
      const QModelIndex index = grid->model()->index(r, 1);
      if (index.data().toString() != text) continue;
      found = true;
      return delegate->spansFor(index);
    }
    return {};
  }

private slots:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    guitest::writeFile(folder() + "/pets.txt",
                       "cat catalog cat\r\nthe dog and the CAT\r\ndogcat\r\nno pets\r\n\tcat\tafter a tab\r\n");
  }

  void each_kind_of_search_marks_what_it_matched() {
    const Search searches[] = {
        {"simple, any case", {u"cat"}, false, false, false, "cat catalog cat", Spans{{0, 3}, {4, 3}, {12, 3}}},
        {"simple, any case, other case", {u"cat"}, false, false, false, "the dog and the CAT", Spans{{16, 3}}},
        {"case counts", {u"CAT"}, true, false, false, "the dog and the CAT", Spans{{16, 3}}},
        {"whole words", {u"cat"}, false, true, false, "cat catalog cat", Spans{{0, 3}, {12, 3}}},
        {"after a tab", {u"cat"}, false, true, false, "\tcat\tafter a tab", Spans{{1, 3}}},
        {"multiple strings", {u"dog", u"cat"}, false, true, false, "the dog and the CAT", Spans{{4, 3}, {16, 3}}},
        {"all words", {u"cat dog"}, false, false, true, "the dog and the CAT", Spans{{4, 3}, {16, 3}}},
        {"all words, joined", {u"cat dog"}, false, false, true, "dogcat", Spans{{0, 6}}},
    };
    for (const Search& search : searches) {
      SearchInputSet inputs;
      TfrmVarko1 w(inputs, dir_.filePath("Varko64.INI"));
      w.show();
      control<QLineEdit>(w, "edtFolder")->setText(folder());
      if (search.strings.size() > 1) {
        for (size_t i = 0; i < search.strings.size(); ++i)
          inputs.strings.find(static_cast<int>(i) + 1) = search.strings[i];
        inputs.strings.count = static_cast<int32_t>(search.strings.size());
        QTest::mouseClick(control<QToolButton>(w, "ImageString"), Qt::LeftButton);
        w.PrepareAdvancedStrings();
      } else {
        control<QLineEdit>(w, "edtString")->setText(QString::fromStdU16String(search.strings.front()));
      }
      control<QCheckBox>(w, "cbxCasefl")->setChecked(!search.caseSensitive);
      control<QCheckBox>(w, "cbxMatchWholeWordsOnly")->setChecked(search.wholeWords);
      control<QCheckBox>(w, "cbxGoogleFind")->setChecked(search.allWords);
      QTest::mouseClick(control<QPushButton>(w, "btnGo"), Qt::LeftButton);
      QCOMPARE(w.runState(), int(kRunFinished));
      bool found = false;
      const Spans marked = marksOf(w, QString::fromLatin1(search.line), found);
      QVERIFY2(found, search.name);
      QVERIFY2(marked == search.marked, search.name);
      // A file-name row is never marked, though its text holds the string.
      const Spans nameRow = marksOf(w, folder() + "/pets.txt", found);
      QVERIFY2(found && nameRow.empty(), search.name);
      if (QByteArray(search.name) == "multiple strings") guitest::grab(&w, "found-grid-marks");
    }
  }
};

QTEST_MAIN(MatchMarksTest)
#include "MatchMarksTest.moc"
