#pragma once

#include <QString>
#include <QStringList>

// The main window's browsing history and address list, kept apart from the
// browser so their rules can be driven without one.
//
// History holds distinct addresses (letter case ignored) in the order they
// were first visited; visiting one that is already there only moves the
// position to it. The address list offers the addresses the user opened from
// the address box, most recent first.
class TBrowseHistory
{
public:
    const QStringList &History() const { return m_history; }
    int HistoryIndex() const { return m_index; }
    bool FromAddressBox() const { return m_fromAddressBox; }
    const QStringList &AddressList() const { return m_addresses; }

    // The address box is about to open its text: the next navigation the
    // browser announces is filed at the top of the address list.
    void FindAddress() { m_fromAddressBox = true; }

    // Every navigation the browser announces, whoever started it.
    void BeforeNavigate(const QString &address);

    bool CanGoBack() const;
    bool CanGoForward() const;
    // The addresses Back and Forward open; EListError when there is none.
    QString BackAddress() const;
    QString ForwardAddress() const;

    // Adds an address to the end of the address list unless it is there
    // already (used for a site's home page).
    void AppendAddress(const QString &address);

private:
    QString entry(int index) const;

    QStringList m_history;
    int m_index = -1;
    bool m_fromAddressBox = false;
    QStringList m_addresses;
};
