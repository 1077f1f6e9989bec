#include "SvgUses.h"

#include <QHash>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <vector>

namespace {

constexpr int DeepestUse = 8;
constexpr std::size_t MostTokens = 2'000'000;

struct TToken {
    QXmlStreamReader::TokenType Type = QXmlStreamReader::NoToken;
    QString NamespaceUri;
    QString Name;
    QXmlStreamAttributes Attributes;
    QXmlStreamNamespaceDeclarations Namespaces;
    QString Text;
    bool Cdata = false;
};

// An attribute's value by its local name (href whether xlink's or not).
QString Attribute(const TToken& Token, QStringView Name)
{
    for (const QXmlStreamAttribute& a : Token.Attributes)
        if (a.name() == Name)
            return a.value().toString();
    return {};
}

// The id a <use> refers to, or nothing.
QString UsedId(const TToken& Token)
{
    const QString href = Token.Name == u"use" ? Attribute(Token, u"href") : QString();
    return href.startsWith(u'#') ? href.mid(1) : QString();
}

// An element with an id: its tokens, from its start to its end, and
// whether any of them paints in currentColor.
struct TDefined {
    std::size_t First = 0;
    std::size_t Last = 0;
    bool CurrentColour = false;
};

class TInliner {
public:
    bool Read(const QByteArray& Svg);
    bool Write(QByteArray& Into);

private:
    // Writes the tokens First to Last; the first's id left out when
    // Copy, as a copy's id would repeat its original's.
    bool Emit(std::size_t First, std::size_t Last, int Depth, bool Copy);
    bool Start(const TToken& Token, bool DropId);

    std::vector<TToken> FTokens;
    QHash<QString, TDefined> FDefined;
    QByteArray FOut;
    QXmlStreamWriter FWriter{&FOut};
    std::size_t FWritten = 0;
};

bool TInliner::Read(const QByteArray& Svg)
{
    QXmlStreamReader xml(Svg);
    std::vector<std::pair<QString, std::size_t>> open;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType type = xml.readNext();
        TToken token;
        token.Type = type;
        switch (type) {
        case QXmlStreamReader::StartElement: {
            token.NamespaceUri = xml.namespaceUri().toString();
            token.Name = xml.name().toString();
            token.Attributes = xml.attributes();
            token.Namespaces = xml.namespaceDeclarations();
            open.push_back({token.Attributes.value(QStringLiteral("id")).toString(), FTokens.size()});
            break;
        }
        case QXmlStreamReader::EndElement: {
            if (open.empty())
                return false;
            const auto [id, first] = open.back();
            open.pop_back();
            if (!id.isEmpty()) {
                TDefined defined{first, FTokens.size(), false};
                for (std::size_t i = first; i < defined.Last && !defined.CurrentColour; ++i)
                    for (const QXmlStreamAttribute& a : FTokens[i].Attributes)
                        defined.CurrentColour = defined.CurrentColour || a.value().contains(u"currentColor");
                FDefined.insert(id, defined);
            }
            break;
        }
        case QXmlStreamReader::Characters:
            token.Text = xml.text().toString();
            token.Cdata = xml.isCDATA();
            break;
        case QXmlStreamReader::EntityReference:
            return false;
        default:
            continue;
        }
        FTokens.push_back(std::move(token));
        if (FTokens.size() > MostTokens)
            return false;
    }
    if (xml.hasError())
        return false;
    // An element that uses one painted in currentColor is painted so too.
    // Elements with ids nested deep make this long: beyond a bound of work
    // the file is left as it is.
    std::size_t work = 0;
    for (int round = 0; round < DeepestUse; ++round)
        for (TDefined& defined : FDefined)
            for (std::size_t i = defined.First; i < defined.Last && !defined.CurrentColour; ++i) {
                if (++work > 20 * MostTokens)
                    return false;
                if (const QString used = UsedId(FTokens[i]); !used.isEmpty())
                    defined.CurrentColour = FDefined.value(used).CurrentColour;
            }
    return true;
}

bool TInliner::Start(const TToken& Token, bool DropId)
{
    FWriter.writeStartElement(Token.NamespaceUri, Token.Name);
    for (const QXmlStreamNamespaceDeclaration& n : Token.Namespaces)
        if (n.prefix().isEmpty())
            FWriter.writeDefaultNamespace(n.namespaceUri().toString());
        else
            FWriter.writeNamespace(n.namespaceUri().toString(), n.prefix().toString());
    for (const QXmlStreamAttribute& a : Token.Attributes)
        if (!(DropId && a.name() == u"id"))
            FWriter.writeAttribute(a);
    return ++FWritten <= MostTokens;
}

bool TInliner::Emit(std::size_t First, std::size_t Last, int Depth, bool Copy)
{
    for (std::size_t i = First; i <= Last; ++i) {
        const TToken& token = FTokens[i];
        if (token.Type == QXmlStreamReader::Characters) {
            if (token.Cdata)
                FWriter.writeCDATA(token.Text);
            else
                FWriter.writeCharacters(token.Text);
            continue;
        }
        if (token.Type == QXmlStreamReader::EndElement) {
            FWriter.writeEndElement();
            continue;
        }
        const QString used = UsedId(token);
        const auto target = used.isEmpty() ? FDefined.constEnd() : FDefined.constFind(used);
        if (target == FDefined.constEnd() || !target->CurrentColour || (target->First <= i && i <= target->Last)) {
            if (!Start(token, Copy && i == First))
                return false;
            continue;
        }
        if (Depth >= DeepestUse)
            return false;
        // The group stands where the <use> stood, moved by its x and y,
        // with the <use>'s own attributes (its colour among them).
        TToken group = token;
        group.Name = QStringLiteral("g");
        group.Attributes.clear();
        QString transform;
        for (const QXmlStreamAttribute& a : token.Attributes) {
            if (a.name() == u"transform")
                transform = a.value().toString();
            else if (a.name() != u"href" && a.name() != u"x" && a.name() != u"y" && a.name() != u"width" &&
                     a.name() != u"height")
                group.Attributes.append(a);
        }
        const QString x = Attribute(token, u"x"), y = Attribute(token, u"y");
        if (!x.isEmpty() || !y.isEmpty())
            transform += QStringLiteral(" translate(%1,%2)").arg(x.isEmpty() ? QStringLiteral("0") : x,
                                                                 y.isEmpty() ? QStringLiteral("0") : y);
        if (!transform.trimmed().isEmpty())
            group.Attributes.append(QStringLiteral("transform"), transform.trimmed());
        if (!Start(group, false) || !Emit(target->First, target->Last, Depth + 1, true))
            return false;
        FWriter.writeEndElement();
        // What the <use> holds itself (a title) goes with it.
        for (int open = 1; open > 0 && i < Last;) {
            ++i;
            open += FTokens[i].Type == QXmlStreamReader::StartElement ? 1
                    : FTokens[i].Type == QXmlStreamReader::EndElement ? -1
                                                                       : 0;
        }
    }
    return true;
}

bool TInliner::Write(QByteArray& Into)
{
    FWriter.writeStartDocument();
    if (FTokens.empty() || !Emit(0, FTokens.size() - 1, 0, false))
        return false;
    FWriter.writeEndDocument();
    Into = std::move(FOut);
    return true;
}

} // namespace

QByteArray SvgUsesInlined(const QByteArray& Svg)
{
    // Most drawings have nothing to copy: they are not read twice.
    if (!Svg.contains("currentColor") || !Svg.contains("use"))
        return Svg;
    TInliner inliner;
    if (!inliner.Read(Svg))
        return Svg;
    QByteArray inlined;
    return inliner.Write(inlined) ? inlined : Svg;
}
