// The module's start-up lists and their registration with the host framework.
#pragma once

#include "hostapi/VyrClassRegistry.h"

// A node of a start-up list, embedded in a statically constructed class object. Constructing it only
// links it at the head of its list (so lists run in reverse order of construction); nothing reaches
// the host before the host calls DllRegisterClassObjects.
template <class Interface, class ListTag>
class LinkedClassObject
{
public:
    // The owning class object's face that is handed to the host.
    virtual Interface* GetClassObject() = 0;

    LinkedClassObject* Next() const { return next_; }
    static LinkedClassObject* Head() { return head_; }

protected:
    LinkedClassObject() : next_(head_) { head_ = this; }
    ~LinkedClassObject()
    {
        for (LinkedClassObject** link = &head_; *link; link = &(*link)->next_)
            if (*link == this)
            {
                *link = next_;
                break;
            }
    }
    LinkedClassObject(const LinkedClassObject&) = delete;
    LinkedClassObject& operator=(const LinkedClassObject&) = delete;

private:
    static inline LinkedClassObject* head_ = nullptr;
    LinkedClassObject* next_;
};

struct ClassObjectListTag;
struct MessageClassListTag;

// The class objects of the calculation functions and the computed channel.
using VyrClassObject = LinkedClassObject<IVyrClassObject, ClassObjectListTag>;
// The automation message classes.
using VyrMessageClassLink = LinkedClassObject<IMsgIdMessageClassObject, MessageClassListTag>;

// A class object that registration makes afresh (with no reference) at its step: the document class,
// the view classes and the event-drawing classes. The subsystem that owns the class links a maker at
// load time; nothing is made before the host calls DllRegisterClassObjects.
struct DocumentClassListTag;
struct EventDrawClassListTag;
struct ViewClassListTag;
using DocumentClassMaker = LinkedClassObject<IVyrClassObject, DocumentClassListTag>;
using ViewClassMaker = LinkedClassObject<IVyrClassObject, ViewClassListTag>;
using EventDrawClassMaker = LinkedClassObject<IVyrClassObject, EventDrawClassListTag>;
// The self-test objects: each maker makes its object afresh (with no reference) when registration adds
// the tests to the host's test registry.
struct SelfTestListTag;
using SelfTestMaker = LinkedClassObject<IUnitTest, SelfTestListTag>;

// Makes each class object of a maker list, in list order, and registers it with the factory.
template <class Maker>
void RegisterMadeClassObjects(IVyrObjectFactory* factory)
{
    for (Maker* entry = Maker::Head(); entry; entry = entry->Next())
    {
        IVyrClassObject* made = entry->GetClassObject();
        if (factory && made)
            factory->RegisterClassObject(made);
        else if (made)
        {
            made->AddRef(); // nobody takes it: destroy it
            made->Release();
        }
    }
}

// Registers every class object of the static list with the framework's class registry.
void VyrRegisterStaticClassObjects();
// Registers every message class with the framework's message factory.
void VyrRegisterMessageClasses();
// Creates the self-test objects and adds them to the host's test registry.
void VyrRegisterSelfTests();

// Everything DllRegisterClassObjects does: E_FAIL for a null host, else every registration step in
// order, each one run even when an earlier one failed, and S_OK.
HRESULT RegisterModuleClasses(IUnknown* host);
