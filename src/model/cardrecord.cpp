#include "model/cardrecord.h"

#include "model/catalogue.h"

namespace {

struct CodeRule
{
    const char *prefix; // first two or three characters of the model code
    int kind;
};

// A test on one character position and the codes it then recognises,
// tried in this order; the first test that holds decides.
struct CharRule
{
    int position; // 1-based
    QChar test;
    std::vector<CodeRule> codes;
};

const std::vector<CharRule> &rules()
{
    static const std::vector<CharRule> r{
        {4,
         QLatin1Char('A'),
         {{"XA", 22}, {"XB", 23}, {"XC", 24}, {"XD", 39}, {"XE", 40}, {"XF", 25}}},
        {4, QLatin1Char('6'), {{"XG", 13}, {"XH", 15}}},
        {3,
         QLatin1Char('2'),
         {{"XA", 1},
          {"XB", 3},
          {"XC", 5},
          {"XJ", 7},
          {"XK", 9},
          {"XF", 11},
          {"XL", 16},
          {"XM", 17},
          {"XN", 19},
          {"XP", 21},
          {"XD", 36},
          {"XE", 38}}},
        {3, QLatin1Char('4'), {{"XG", 12}, {"XH", 14}}},
        {3,
         QLatin1Char('1'),
         {{"XA", 0},
          {"XB", 2},
          {"XC", 4},
          {"XJ", 6},
          {"XK", 8},
          {"XF", 10},
          {"XN", 18},
          {"XP", 20},
          {"XD", 35},
          {"XE", 37}}},
        {4, QLatin1Char('1'), {{"XPA", 30}, {"XPB", 32}, {"XEA", 28}, {"XDA", 26}}},
        {4, QLatin1Char('2'), {{"XPA", 31}, {"XPB", 33}, {"XEA", 29}, {"XDA", 27}}},
    };
    return r;
}

// The kind chosen by the first rule that holds. A code that passes a test
// but whose letters that rule does not know is no card at all.
int kindOf(const QString &model)
{
    for (const CharRule &rule : rules()) {
        if (model.size() < rule.position || model.at(rule.position - 1) != rule.test)
            continue;
        for (const CodeRule &code : rule.codes)
            if (model.startsWith(QLatin1String(code.prefix)))
                return code.kind;
        return kNoCard;
    }
    return kNoCard;
}

} // namespace

int CardsHeld(const CardTable &table)
{
    int n = 0;
    for (int i = 1; i <= kCardCount; ++i)
        n += table[i].holdsCard();
    return n;
}

void ResetCardTable(CardTable &table, const std::function<void(int)> &clearRow)
{
    for (int i = 1; i <= kCardCount; ++i) {
        CardRecord &r = table[i];
        const auto aux = r.AuxSetting;
        r = CardRecord{};
        r.ModelName = QStringLiteral("NONE");
        r.VerNo = QStringLiteral("0.00");
        r.Spare = QStringLiteral("2");
        r.Burnout = {QStringLiteral("0"), QStringLiteral("0")};
        r.AuxSetting = aux;
        r.ChData.fill(QStringLiteral("0"));
    }
    if (clearRow)
        for (int i = 1; i <= kCardCount; ++i)
            clearRow(i);
}

int KindOfModel(const QString &modelText)
{
    return kindOf(modelText);
}

void ClassifyCard(CardTable &table, int cardNo, const QString &modelText)
{
    CardRecord &r = table[cardNo];
    r.ModelName = modelText;
    r.AuxSetting = {-1, -1};
    r.ModelKind = kindOf(modelText);
    const CardKind &kind = r.kind();
    r.Class = kind.inputClass;
    r.Status = kind.status;
    r.ChCount = kind.channels;
    r.Form = kind.form;
    // An unknown model keeps the item numbers the slot had.
    if (kind.known())
        for (int k = 1; k <= 12; ++k)
            r.par(k).ItemNo = QString::number(kind.itemNo(k));
}
