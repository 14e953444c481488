#pragma once
// Matched text drawn highlighted in the results grid, the view window and the file window. The
// text is drawn exactly where it would be without marks; only the ground behind a match changes.
#include <QColor>
#include <QString>
#include <vector>
#include "examine/FileExamination.h"
#include "match/MatchSpans.h"

class QPainter;
class QRect;

namespace varko::gui {

// The strings a run matched with and its case and whole-word rules; each word of an all-words
// search on its own.
SpanRules MatchRulesOf(const LineMatcher& matcher);

// Every match of the rules in a shown text, as the windows mark them.
std::vector<MatchSpan> MatchSpansOf(const QString& text, const SpanRules& rules);

// Light yellow: the row colours (navy, purple, maroon, green, black, red) stay readable on it, and
// it stands apart from the white rows and from the current row's pink.
QColor matchMarkColour();

// Draws text in rect with flags (as QPainter::drawText; tabs expanded) in the painter's pen, with
// the mark colour behind each span. A valid markText colour redraws the marked characters in it
// (for rows whose own text colour is light, like a selected row's).
void drawMarkedText(QPainter* painter, const QRect& rect, int flags, const QString& text,
                    const std::vector<MatchSpan>& spans, const QColor& markText = QColor());

}  // namespace varko::gui
