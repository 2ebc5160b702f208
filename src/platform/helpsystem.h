#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

class QListWidget;
class QPushButton;
class QTextBrowser;
class QUrl;

// One topic of a help file: its context number, title and HTML body.
struct HelpTopic {
    int context = 0;
    QString title;
    QString body;
};

// A help file (".hlp"): UTF-8 text in which each topic starts with a line
// "@topic <context> <title>" followed by the topic's HTML body. Lines before the first
// topic are ignored. Context 1, or the first topic when there is none, is the contents.
class HelpDocument {
public:
    static HelpDocument parse(const QByteArray& utf8);
    // A missing or unreadable file gives a document with no topics.
    static HelpDocument load(const QString& path);

    bool isEmpty() const { return m_topics.empty(); }
    const std::vector<HelpTopic>& topics() const { return m_topics; }
    // nullptr when the file has no such topic (the first of duplicates wins).
    const HelpTopic* topic(int context) const;
    const HelpTopic* contents() const;
    // The contents topic's title; empty for an empty document.
    QString title() const;

private:
    std::vector<HelpTopic> m_topics;
};

// The help viewer window: a contents list beside the topic text, with Contents, Back and
// Forward buttons. Links of the form "#<context>" move to that topic; other addresses
// go to the desktop's browser.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);

    // Replaces the document shown; the history starts afresh.
    void setDocument(const HelpDocument& doc, const QString& fileName);
    const HelpDocument& document() const { return m_doc; }
    QString fileName() const { return m_fileName; }

    // Shows a topic and records it in the history. A context the file does not hold
    // shows a page that says there is no help for it.
    void showContext(int context);
    int currentContext() const;
    // True when the page shown is a topic of the file (not the "no help" page).
    bool showsTopic() const;
    QString pageText() const;

    bool canGoBack() const { return m_pos > 0; }
    bool canGoForward() const { return m_pos + 1 < int(m_history.size()); }

public slots:
    void goBack();
    void goForward();
    void goContents();

private:
    void render();
    void linkClicked(const QUrl& url);

    HelpDocument m_doc;
    QString m_fileName;
    std::vector<int> m_history;
    int m_pos = -1;
    QListWidget* m_list = nullptr;
    QTextBrowser* m_text = nullptr;
    QPushButton* m_contents = nullptr;
    QPushButton* m_back = nullptr;
    QPushButton* m_forward = nullptr;
};

// The program's help: one current help file and a viewer that opens it at a context.
class HelpSystem {
public:
    static HelpSystem& instance();

    // A bare file name ("qmphelp.hlp") is looked for in the data folder; a name with a
    // folder is taken as it is. Either way the name is matched without regard to case
    // when the help is shown.
    void setHelpFile(const QString& nameOrPath);
    // The full path of the current help file (empty when none was set).
    QString helpFile() const;

    // Reads the current help file and shows the viewer at the context. The viewer keeps
    // what it read, so switching the help file afterwards does not change the page.
    void showContext(int context);

    // The viewer window; nullptr until help was first shown.
    HelpViewer* viewer() const { return m_viewer; }

private:
    HelpSystem() = default;
    QString m_name;
    QPointer<HelpViewer> m_viewer;
};
