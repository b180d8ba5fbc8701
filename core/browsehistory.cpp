#include "browsehistory.h"

#include "errors.h"

namespace {

qsizetype indexOfNoCase(const QStringList &list, const QString &text)
{
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (list[i].compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

void TBrowseHistory::BeforeNavigate(const QString &address)
{
    const qsizetype known = indexOfNoCase(m_history, address);
    if (known >= 0) {
        m_index = int(known);
    } else {
        // A new address after going back drops the entries ahead.
        if (m_index >= 0 && m_index < m_history.size() - 1)
            m_history.erase(m_history.begin() + m_index + 1, m_history.end());
        m_history.append(address);
        m_index = int(m_history.size() - 1);
    }
    if (m_fromAddressBox) {
        m_fromAddressBox = false;
        const qsizetype listed = indexOfNoCase(m_addresses, address);
        if (listed >= 0)
            m_addresses.removeAt(listed);
        m_addresses.prepend(address);
    }
}

bool TBrowseHistory::CanGoBack() const
{
    return !m_history.isEmpty() && m_index > 0;
}

bool TBrowseHistory::CanGoForward() const
{
    return !m_history.isEmpty() && m_index < m_history.size() - 1;
}

QString TBrowseHistory::entry(int index) const
{
    if (index < 0 || index >= m_history.size())
        throw EListError(QStringLiteral("History index out of bounds (%1)").arg(index));
    return m_history[index];
}

QString TBrowseHistory::BackAddress() const
{
    return entry(m_index - 1);
}

QString TBrowseHistory::ForwardAddress() const
{
    return entry(m_index + 1);
}

void TBrowseHistory::AppendAddress(const QString &address)
{
    if (indexOfNoCase(m_addresses, address) < 0)
        m_addresses.append(address);
}
