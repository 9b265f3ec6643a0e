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

void ResetCardTable(CardTable &table, const std::function<void(int)> &clearRow)
{
    for (int i = 1; i <= kCardCount; ++i) {
        CardRecord &r = table[i];
        const auto aux = r.AuxSetting;
        r = CardRecord{};
        r.ModelName = QStringLiteral("NONE");
        r.ModelKind = kNoCard;
        r.FormType = static_cast<int>(FormType::None);
        r.VerNo = QStringLiteral("0.00");
        r.CardStatus = QStringLiteral("4");
        r.ChCount = QStringLiteral("0");
        r.InputClass = static_cast<int>(InputClass::Other);
        r.InputType = 0;
        r.Spare = QStringLiteral("2");
        r.Burnout = {QStringLiteral("0"), QStringLiteral("0")};
        r.setUnit(TempUnit::Celsius);
        r.setLimit(LimitState::Off);
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
    r.InputClass = static_cast<int>(InputClass::Other);
    r.AuxSetting = {-1, -1};
    r.ModelKind = kindOf(modelText);
    if (r.ModelKind != kNoCard) {
        r.InputClass = KindInputClass(r.ModelKind);
        r.CardStatus = QString::number(KindStatus(r.ModelKind));
        r.ChCount = QString::number(KindChCount(r.ModelKind));
        r.FormType = KindFormType(r.ModelKind);
        for (int k = 1; k <= 12; ++k)
            r.par(k).ItemNo = QString::number(KindItemNo(k, r.ModelKind));
    } else {
        r.CardStatus.clear();
        r.ChCount = QStringLiteral("0");
        r.FormType = static_cast<int>(FormType::None);
    }
}
