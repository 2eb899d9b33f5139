#include "users/passwordcode.h"

#include "qtprint.h"

#include <gtest/gtest.h>

TEST(PasswordCode, TheThreeFormsAreCrc32OfTheirBytes) {
    const struct {
        QString password, full, half, oneByte;
    } cases[] = {
        {"", "0", "0", "0"},
        {"a", "1027557401", "3904355907", "3904355907"},
        {"Пароль", "3980337627", "3069471820", "1429452032"},
        {"secret1", "1507357519", "3852765340", "1407212456"},
        // The first nine bytes of these UTF-16 units spell "123456789", CRC-32's check value.
        {QString::fromUtf16(u"\u3231\u3433\u3635\u3837\u0039abcd"), "", "3421780262", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password.toStdString());
        if (!c.full.isEmpty()) {
            EXPECT_EQ(PasswordCode(c.password), c.full);
            EXPECT_EQ(OneBytePasswordCode(c.password), c.oneByte);
        }
        EXPECT_EQ(HalfFormPasswordCode(c.password), c.half);
    }
}

TEST(PasswordCode, TheCheckAcceptsOlderFormsAndAsksForTheFullOne) {
    const struct {
        QString typed, stored;
        TPasswordCheck expected;
    } cases[] = {
        {"", "0", TPasswordCheck::Accepted},
        {"Пароль", "3980337627", TPasswordCheck::Accepted},
        {"Пароль", "3069471820", TPasswordCheck::AcceptedRewrite}, // half form
        {"Пароль", "1429452032", TPasswordCheck::AcceptedRewrite}, // Windows-1251
        {"пароль", "3980337627", TPasswordCheck::Refused},
        {"Пароль", "03980337627", TPasswordCheck::Refused}, // compared as texts
        {"x", "0", TPasswordCheck::Refused},
        {"", "", TPasswordCheck::Refused},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.typed + " / " + c.stored).toStdString());
        EXPECT_EQ(CheckPassword(c.typed, c.stored), c.expected);
    }
}
