#include "MatchMarks.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>

namespace varko::gui {

SpanRules MatchRulesOf(const LineMatcher& matcher) {
  SpanRules rules;
  if (matcher.google)
    rules.strings = matcher.googleWords;
  else if (matcher.multiple)
    rules.strings = matcher.findStrings;
  else if (!matcher.searchString.empty())
    rules.strings = {matcher.searchString};
  rules.ignoreCase = matcher.ignoreCase;
  rules.wholeWords = matcher.wholeWords;
  rules.patterns = matcher.patterns;
  return rules;
}

std::vector<MatchSpan> MatchSpansOf(const QString& text, const SpanRules& rules) {
  if (rules.strings.empty() || text.isEmpty()) return {};
  return matchSpans(TextView(reinterpret_cast<const char16_t*>(text.utf16()), static_cast<size_t>(text.size())),
                      rules);
}

QColor matchMarkColour() { return QColor(0xFF, 0xE8, 0x4D); }

void drawMarkedText(QPainter* painter, const QRect& rect, int flags, const QString& text,
                    const std::vector<MatchSpan>& spans, const QColor& markText) {
  if (spans.empty()) {
    painter->drawText(rect, flags, text);
    return;
  }
  // Where drawText puts each character: one line laid out with its tab stops (eight x widths).
  QTextLayout layout(text, painter->font(), painter->device());
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  option.setTabStopDistance(QFontMetricsF(painter->font(), painter->device()).horizontalAdvance(QLatin1Char('x')) * 8);
  layout.setTextOption(option);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (line.isValid()) line.setLineWidth(1e9);
  layout.endLayout();
  if (!line.isValid()) {
    painter->drawText(rect, flags, text);
    return;
  }
  const QRect bounds = painter->boundingRect(rect, flags, text);
  std::vector<QRectF> marks;
  for (const MatchSpan& span : spans) {
    const qreal left = line.cursorToX(span.start);
    const qreal right = line.cursorToX(span.start + span.length);
    marks.emplace_back(bounds.left() + left, bounds.top(), right - left, bounds.height());
  }
  painter->save();
  painter->setClipRect(rect, Qt::IntersectClip);
  for (const QRectF& mark : marks) painter->fillRect(mark, matchMarkColour());
  painter->restore();
  painter->drawText(rect, flags, text);
  if (!markText.isValid()) return;
  for (const QRectF& mark : marks) {
    painter->save();
    painter->setClipRect(mark.toAlignedRect().intersected(rect), Qt::IntersectClip);
    painter->setPen(markText);
    painter->drawText(rect, flags, text);
    painter->restore();
  }
}

}  // namespace varko::gui
