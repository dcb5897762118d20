// Loopers, handlers and messengers: where messages run and what a sender sees
// when the target is gone.

#include <AppDefs.h>
#include <Looper.h>
#include <Message.h>
#include <Messenger.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

class RecordingHandler : public BHandler {
public:
	RecordingHandler(const char* name = "recorder") : BHandler(name) {}

	void MessageReceived(BMessage* message) override
	{
		codes.push_back(message->what);
		thread = std::this_thread::get_id();
		if (message->what == 0x6563686fu && message->IsSourceWaiting()) {
			BMessage reply(B_REPLY);
			reply.AddInt32("value", 42);
			message->SendReply(&reply);
		}
	}

	std::vector<uint32> codes;
	std::thread::id thread;
};

const uint32 kEcho = 0x6563686fu;

// A running looper with one extra handler; quit and deleted by TearDown.
class LooperTest : public testing::Test {
protected:
	void SetUp() override
	{
		looper = new BLooper("test looper");
		handler = new RecordingHandler;
		looper->AddHandler(handler);
		looper->Run();
	}

	void TearDown() override
	{
		if (looper == nullptr)
			return;
		looper->Lock();
		looper->RemoveHandler(handler);
		looper->Quit();
		delete handler;
	}

	void Sync()
	{
		BMessage reply;
		ASSERT_EQ(BMessenger(looper).SendMessage(0x73796e63u, &reply), B_OK);
	}

	BLooper* looper = nullptr;
	RecordingHandler* handler = nullptr;
};

TEST_F(LooperTest, MessagesRunInOrderOnTheLooperThread)
{
	BMessenger messenger(handler);
	ASSERT_TRUE(messenger.IsValid());
	for (uint32 code = 1; code <= 5; code++)
		ASSERT_EQ(messenger.SendMessage(code), B_OK);
	BMessage posted(6);
	ASSERT_EQ(looper->PostMessage(&posted, handler), B_OK);
	Sync();
	looper->Lock();
	EXPECT_EQ(handler->codes, (std::vector<uint32>{1, 2, 3, 4, 5, 6}));
	EXPECT_NE(handler->thread, std::this_thread::get_id());
	looper->Unlock();
}

TEST_F(LooperTest, SynchronousSendGetsTheReplyOrNoReply)
{
	BMessage reply;
	ASSERT_EQ(BMessenger(handler).SendMessage(kEcho, &reply), B_OK);
	EXPECT_EQ(reply.what, (uint32)B_REPLY);
	int32 value = 0;
	EXPECT_EQ(reply.FindInt32("value", &value), B_OK);
	EXPECT_EQ(value, 42);

	// Handled without an answer: the sender still wakes up.
	ASSERT_EQ(BMessenger(handler).SendMessage(7u, &reply), B_OK);
	EXPECT_EQ(reply.what, (uint32)B_NO_REPLY);
}

TEST_F(LooperTest, HandlerOfAnotherLooperIsRefused)
{
	RecordingHandler stranger;
	BMessage message(1);
	EXPECT_EQ(looper->PostMessage(&message, &stranger), B_MISMATCHED_VALUES);
	status_t result;
	BMessenger messenger(&stranger, nullptr, &result);
	EXPECT_EQ(result, B_MISMATCHED_VALUES);
	EXPECT_FALSE(messenger.IsValid());
	EXPECT_EQ(messenger.SendMessage(1u), B_BAD_PORT_ID);
}

TEST_F(LooperTest, MessengerOfARemovedHandlerFailsSafely)
{
	BMessenger messenger(handler);
	looper->Lock();
	looper->RemoveHandler(handler);
	looper->Unlock();
	EXPECT_FALSE(messenger.IsValid());
	BMessage reply;
	EXPECT_EQ(messenger.SendMessage(kEcho, &reply), B_BAD_HANDLER);
	looper->Lock();
	looper->AddHandler(handler);
	looper->Unlock();
}

TEST_F(LooperTest, QuitFromAnotherThreadDeletesTheLooperAndAnswersWaiters)
{
	BMessenger toLooper(looper);
	BMessenger toHandler(handler);
	looper->Lock();
	looper->RemoveHandler(handler);
	looper->Quit();
	looper = nullptr;
	delete handler;
	EXPECT_FALSE(toLooper.IsValid());
	EXPECT_FALSE(toHandler.IsValid());
	EXPECT_EQ(toLooper.SendMessage(1u), B_BAD_PORT_ID);
	BMessage reply;
	EXPECT_EQ(toLooper.SendMessage(1u, &reply), B_BAD_PORT_ID);
}

// A looper that refuses the first quit request and counts them.
class StubbornLooper : public BLooper {
public:
	StubbornLooper(std::atomic<int>* deleted) : BLooper("stubborn"), fDeleted(deleted) {}
	~StubbornLooper() override { (*fDeleted)++; }

	bool QuitRequested() override { return ++fRequests > 1; }

private:
	std::atomic<int>* fDeleted;
	int fRequests = 0;
};

TEST(LooperQuit, QuitRequestedDecidesAndTheReplySaysSo)
{
	std::atomic<int> deleted(0);
	BLooper* looper = new StubbornLooper(&deleted);
	looper->Run();
	BMessenger messenger(looper);

	BMessage reply;
	ASSERT_EQ(messenger.SendMessage(B_QUIT_REQUESTED, &reply), B_OK);
	bool result = true;
	EXPECT_EQ(reply.FindBool("result", &result), B_OK);
	EXPECT_FALSE(result);
	EXPECT_TRUE(messenger.IsValid());

	ASSERT_EQ(messenger.SendMessage(B_QUIT_REQUESTED, &reply), B_OK);
	EXPECT_EQ(reply.FindBool("result", &result), B_OK);
	EXPECT_TRUE(result);
	// Deleted on its own thread right after replying.
	for (int i = 0; i < 1000 && messenger.IsValid(); i++)
		std::this_thread::sleep_for(std::chrono::milliseconds(2));
	EXPECT_FALSE(messenger.IsValid());
	for (int i = 0; i < 1000 && deleted.load() == 0; i++)
		std::this_thread::sleep_for(std::chrono::milliseconds(2));
	EXPECT_EQ(deleted.load(), 1);
}

TEST(LooperQuit, ALooperThatNeverRanIsDeletedAtOnce)
{
	std::atomic<int> deleted(0);
	BLooper* looper = new StubbornLooper(&deleted);
	looper->Quit(); // locked by this thread since construction
	EXPECT_EQ(deleted.load(), 1);
}

} // namespace
