#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QString>
#include <QVBoxLayout>
#include <functional>

namespace quillo::ui {

// The pieces every settings page is made of, so that they all look alike.

// A page's heading; the first thing on the page.
QLabel* pageTitle(const QString& text, QWidget* parent);
// A group's heading inside a page.
QLabel* sectionTitle(const QString& text, QWidget* parent);
// Quiet, wrapping text that explains what is above it.
QLabel* explanation(const QString& text, QWidget* parent);
// A message that something failed; hidden while empty.
QLabel* failureLabel(QWidget* parent);
void showFailure(QLabel* label, const QString& message);
// Makes a change a control asked for; a failure (a setting that cannot be written) is shown in
// `failure` instead of escaping into the event loop. True when the change went through.
bool attempt(QLabel* failure, const std::function<void()>& change);

// A switch with its explanation under it, added to `layout`. The switch's object name is the
// setting it edits, so that tests and accessibility tools find it.
QCheckBox* addSwitch(QVBoxLayout* layout, const QString& name, const QString& label, const QString& text);

// A page's layout: margins, spacing, contents at the top.
QVBoxLayout* pageLayout(QWidget* page);

}  // namespace quillo::ui
