// The system registry and the service dictionary.
#include "aced.h"
#include "rxregsvc.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SysRegistry, HoldsTheLinkerTheEditorAndTheServiceDictionary) {
    AcRxDictionary* pRegistry = acrxSysRegistry();
    ASSERT_NE(pRegistry, nullptr);
    EXPECT_EQ(pRegistry, acrxSysRegistry());
    EXPECT_NE(AcRxDynamicLinker::cast(pRegistry->at("DynamicLinker")), nullptr);
    EXPECT_NE(AcEditor::cast(pRegistry->at("AcEditor")), nullptr);
    AcRxDictionary* pServices = AcRxDictionary::cast(pRegistry->at("ServiceDictionary"));
    ASSERT_NE(pServices, nullptr);
    EXPECT_EQ(pServices, acrxServiceDictionary());
    // Each entry is only what it is.
    EXPECT_EQ(AcEditor::cast(pRegistry->at("DynamicLinker")), nullptr);
    EXPECT_EQ(AcRxDynamicLinker::cast(pServices), nullptr);
    EXPECT_EQ(pRegistry->at("NoSuchEntry"), nullptr);
    EXPECT_EQ(pRegistry->at(nullptr), nullptr);
    EXPECT_EQ(AcRxDictionary::cast(nullptr), nullptr);
}

TEST(Services, RegisterTestAndRemove) {
    const char* name = "Brevant_services";
    EXPECT_FALSE(acrxServiceIsRegistered(name));
    AcRxObject* pService = acrxRegisterService(name);
    ASSERT_NE(pService, nullptr);
    EXPECT_STREQ(pService->className(), "AcRxService");
    EXPECT_TRUE(acrxServiceIsRegistered(name));
    EXPECT_FALSE(acrxServiceIsRegistered("brevant_services"));  // names compare exactly

    // A second registration keeps the first service: nothing is lost or left dangling.
    EXPECT_EQ(acrxRegisterService(name), pService);

    AcRxDictionary* pServices = AcRxDictionary::cast(acrxSysRegistry()->at("ServiceDictionary"));
    AcRxObject* pRemoved = pServices->remove(name);
    EXPECT_EQ(pRemoved, pService);
    delete pRemoved;
    EXPECT_FALSE(acrxServiceIsRegistered(name));
    EXPECT_EQ(pServices->remove(name), nullptr);

    EXPECT_EQ(acrxRegisterService(""), nullptr);
    EXPECT_EQ(acrxRegisterService(nullptr), nullptr);
    EXPECT_FALSE(acrxServiceIsRegistered(nullptr));
}

TEST(Dictionary, AtPutHandsBackWhatWasThere) {
    AcRxDictionary* pServices = acrxServiceDictionary();
    const Adesk::UInt32 before = pServices->numEntries();
    AcRxService first;
    AcRxService second;
    EXPECT_EQ(pServices->atPut("key", &first), nullptr);
    EXPECT_EQ(pServices->atPut("key", &second), &first);
    EXPECT_TRUE(pServices->has("key"));
    EXPECT_EQ(pServices->numEntries(), before + 1);
    EXPECT_EQ(pServices->remove("key"), &second);
    EXPECT_FALSE(pServices->has("key"));
    EXPECT_EQ(pServices->numEntries(), before);
}

}  // namespace
